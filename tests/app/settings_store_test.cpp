#include "app/settings.h"
#include "tests/support/fifo_watchdog.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <csignal>
#include <cstdio>
#include <functional>

namespace cellwatch {
namespace {

class SettingsStoreTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString path() const { return dir.filePath(QStringLiteral("sub/settings.ini")); }
    void writeRaw(const QByteArray& bytes) {
        QDir().mkpath(dir.filePath(QStringLiteral("sub")));
        QFile f(path());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
};

TEST_F(SettingsStoreTest, NamesAreCaseBlindAndValuesSurviveARestart) {
    {
        FileSettingsStore store(path());
        writeLanguageCode(store, QStringLiteral("ENG"));
        store.write(QStringLiteral("Other"), QStringLiteral("S"), QStringLiteral("K"),
                    QStringLiteral("a=b|c]\\d\ne"));
    }
    FileSettingsStore again(path());
    EXPECT_EQ(readLanguageCode(again), QStringLiteral("ENG"));
    // The about box reads the same entry as section "lang", key "lang".
    EXPECT_EQ(again.read(QStringLiteral("CELLWATCH    "), QStringLiteral("lang"),
                         QStringLiteral("lang"), QStringLiteral("CHT")),
              QStringLiteral("ENG"));
    // The application name's blanks count.
    EXPECT_EQ(again.read(QStringLiteral("Cellwatch"), QStringLiteral("Lang"),
                         QStringLiteral("Lang"), QStringLiteral("none")),
              QStringLiteral("none"));
    EXPECT_EQ(again.read(QStringLiteral("other"), QStringLiteral("s"), QStringLiteral("k"), {}),
              QStringLiteral("a=b|c]\\d\ne"));
    // Writing in another case replaces the one entry rather than adding one.
    again.write(QStringLiteral("cellwatch    "), QStringLiteral("LANG"), QStringLiteral("LANG"),
                QStringLiteral("CHT"));
    EXPECT_EQ(readLanguageCode(again), QStringLiteral("CHT"));
    QFile f(path());
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll().count("=CHT"), 1);
}

// Keys that look like a section header or a comment at the start of a line
// come back as keys, and keep the rest of their section readable, through
// every later save.
TEST_F(SettingsStoreTest, KeysThatLookLikeHeadersOrCommentsSurviveLaterSaves) {
    const QString section = QStringLiteral("S");
    const QStringList keys = {QStringLiteral("[a"), QStringLiteral(";k"), QStringLiteral("#j"),
                              QStringLiteral("\\[b")};
    {
        FileSettingsStore store(path());
        for (const QString& key : keys) {
            store.write(QStringLiteral("Cellwatch"), section, key, key + QStringLiteral("!"));
        }
        writeLanguageCode(store, QStringLiteral("ENG"));
    }
    FileSettingsStore again(path());
    again.write(QStringLiteral("Cellwatch"), section, QStringLiteral("later"), QStringLiteral("1"));
    for (const QString& key : keys) {
        EXPECT_EQ(again.read(QStringLiteral("Cellwatch"), section, key, {}),
                  key + QStringLiteral("!"))
            << key.toStdString();
    }
    EXPECT_EQ(readLanguageCode(again), QStringLiteral("ENG"));
}

TEST_F(SettingsStoreTest, DamagedFilesReadAsDefaultsAndCanBeWrittenAgain) {
    const QByteArray damaged[] = {
        QByteArray("\x00\xff\xfe garbage \x01\x02", 15),
        QByteArray("Lang=ENG\n"),                    // an entry outside any section
        QByteArray("[Cellwatch    \nLang=ENG\n"),    // a header never closed
        QByteArray("[Cellwatch    |Lang]\n=ENG\n"),  // no key
    };
    for (const QByteArray& bytes : damaged) {
        writeRaw(bytes);
        FileSettingsStore store(path());
        EXPECT_EQ(readLanguageCode(store), QStringLiteral("CHT"));
        writeLanguageCode(store, QStringLiteral("ENG"));
        EXPECT_EQ(readLanguageCode(store), QStringLiteral("ENG"));
    }
}

// What cannot be read whole where the file belongs (a FIFO, a device behind
// a symbolic link, a directory, a file far too large to be ours) reads as
// nothing stored, at once, and is kept: the settings go to the file beside
// it, and the next start reads them from there, and the store says why and
// where. Once the file can be read again, it wins. (Should opening a FIFO
// wait after all, the watchdog opens its other end after a while: the test
// then fails instead of hanging.)
TEST_F(SettingsStoreTest, WhatCannotBeReadWholeIsKeptAndTheSettingsGoBesideIt) {
    const QByteArray name = QFile::encodeName(path());
    const QString beside = path() + QStringLiteral(".new");
    const QByteArray large = "[Cellwatch    |Lang]\nLang=ENG\n" + QByteArray(2 << 20, ';');
    const struct {
        const char* name;
        std::function<void()> make;
        const char* says;
    } cases[] = {
        {"a FIFO", [&] { ASSERT_EQ(::mkfifo(name.constData(), 0600), 0); },
         ": it is a FIFO, not a regular file"},
        {"a link to /dev/zero",
         [&] { ASSERT_TRUE(QFile::link(QStringLiteral("/dev/zero"), path())); },
         ": it is a device, not a regular file"},
        {"a directory", [&] { ASSERT_TRUE(QDir().mkdir(path())); }, ": it is a directory"},
        {"2 MiB", [&] { writeRaw(large); }, ": it is larger than 1 MiB"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QDir().mkpath(dir.filePath(QStringLiteral("sub")));
        QDir().rmdir(path());
        QFile::remove(path());
        QFile::remove(beside);
        c.make();
        const testing::FifoWatchdog watchdog(name.toStdString());
        struct stat before {};
        ASSERT_EQ(::lstat(name.constData(), &before), 0);
        const QString problem = QStringLiteral("cannot read ") + path() + QString::fromUtf8(c.says);
        {
            FileSettingsStore store(path());
            EXPECT_EQ(readLanguageCode(store), QStringLiteral("CHT"));
            EXPECT_EQ(store.problem(), problem);
            EXPECT_EQ(store.savedBeside(), beside);
            writeLanguageCode(store, QStringLiteral("ENG"));
            store.write(QStringLiteral("Other"), QStringLiteral("S"), QStringLiteral("K"),
                        QStringLiteral("v"));
            EXPECT_EQ(readLanguageCode(store), QStringLiteral("ENG"));
        }
        // The next start reads them from beside the file, and says so again.
        FileSettingsStore next(path());
        EXPECT_EQ(readLanguageCode(next), QStringLiteral("ENG"));
        EXPECT_EQ(next.read(QStringLiteral("Other"), QStringLiteral("S"), QStringLiteral("K"), {}),
                  QStringLiteral("v"));
        EXPECT_EQ(next.problem(), problem);
        EXPECT_EQ(next.savedBeside(), beside);

        struct stat after {};
        ASSERT_EQ(::lstat(name.constData(), &after), 0);
        EXPECT_EQ(after.st_ino, before.st_ino);  // the very same file, left alone
        EXPECT_EQ(after.st_mode, before.st_mode);
        EXPECT_EQ(after.st_size, before.st_size);
    }
    // The large file is the user's own: still whole.
    QFile kept(path());
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll(), large);
    kept.close();

    // Readable again: the file wins over what stands beside it, and writes
    // are saved in it.
    writeRaw("[Cellwatch    |Lang]\nLang=CHT\n");
    FileSettingsStore store(path());
    EXPECT_EQ(readLanguageCode(store), QStringLiteral("CHT"));
    EXPECT_TRUE(store.problem().isEmpty());
    EXPECT_TRUE(store.savedBeside().isEmpty());
    store.write(QStringLiteral("Other"), QStringLiteral("S"), QStringLiteral("K2"),
                QStringLiteral("w"));
    FileSettingsStore again(path());
    EXPECT_EQ(readLanguageCode(again), QStringLiteral("CHT"));
    EXPECT_EQ(again.read(QStringLiteral("Other"), QStringLiteral("S"), QStringLiteral("K2"), {}),
              QStringLiteral("w"));
    EXPECT_EQ(again.read(QStringLiteral("Other"), QStringLiteral("S"), QStringLiteral("K"), {}),
              QString());
    EXPECT_TRUE(again.problem().isEmpty());

    // The unreadable file removed by its owner: what stood beside it is
    // read, and the next write moves it into the file.
    writeRaw("garbage");
    QFile::remove(path());
    FileSettingsStore moved(path());
    EXPECT_EQ(readLanguageCode(moved), QStringLiteral("ENG"));
    EXPECT_TRUE(moved.problem().isEmpty());
    moved.write(QStringLiteral("Other"), QStringLiteral("S"), QStringLiteral("K3"),
                QStringLiteral("x"));
    EXPECT_FALSE(QFile::exists(beside));
    FileSettingsStore last(path());
    EXPECT_EQ(readLanguageCode(last), QStringLiteral("ENG"));
    EXPECT_EQ(last.read(QStringLiteral("Other"), QStringLiteral("S"), QStringLiteral("K"), {}),
              QStringLiteral("v"));
    EXPECT_EQ(last.read(QStringLiteral("Other"), QStringLiteral("S"), QStringLiteral("K3"), {}),
              QStringLiteral("x"));
}

// When neither the file nor the one beside it can be read whole, neither is
// written: the settings hold for this session, and the store says so.
TEST_F(SettingsStoreTest, NothingUnreadIsWrittenBesideEither) {
    const QString beside = path() + QStringLiteral(".new");
    ASSERT_TRUE(QDir().mkpath(path()));
    ASSERT_TRUE(QDir().mkpath(beside));
    FileSettingsStore store(path());
    EXPECT_EQ(readLanguageCode(store), QStringLiteral("CHT"));
    EXPECT_FALSE(store.problem().isEmpty());
    EXPECT_TRUE(store.savedBeside().isEmpty());
    writeLanguageCode(store, QStringLiteral("ENG"));
    EXPECT_EQ(readLanguageCode(store), QStringLiteral("ENG"));  // the session's value
    EXPECT_TRUE(QFileInfo(path()).isDir());
    EXPECT_TRUE(QFileInfo(beside).isDir());
    EXPECT_TRUE(QDir(beside).isEmpty());
    FileSettingsStore next(path());
    EXPECT_EQ(readLanguageCode(next), QStringLiteral("CHT"));
}

// A write that fails part way leaves the old file as it was, with nothing
// else beside it, and the value holds for the session.
TEST_F(SettingsStoreTest, AFailedWriteLeavesTheOldFileWhole) {
    const QByteArray old = "; Cellwatch settings\n[Cellwatch    |Lang]\nLang=ENG\n";
    const QString folder = dir.filePath(QStringLiteral("sub"));
    const struct {
        const char* name;
        std::function<bool()> fail;  // false: this machine cannot make it fail
        std::function<void()> undo;
    } cases[] = {
        {"a folder without write permission",
         [&] {
             ::chmod(QFile::encodeName(folder).constData(), 0500);
             // Whoever may write anyway (the superuser) has no such failure.
             return ::access(QFile::encodeName(folder).constData(), W_OK) != 0;
         },
         [&] { ::chmod(QFile::encodeName(folder).constData(), 0700); }},
        {"a write cut short (no more room for the file)",
         [&] {
             std::signal(SIGXFSZ, SIG_IGN);
             const rlimit limit{16, RLIM_INFINITY};  // less than any settings file
             return ::setrlimit(RLIMIT_FSIZE, &limit) == 0;
         },
         [&] {
             const rlimit none{RLIM_INFINITY, RLIM_INFINITY};
             ::setrlimit(RLIMIT_FSIZE, &none);
             std::signal(SIGXFSZ, SIG_DFL);
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        writeRaw(old);
        FileSettingsStore store(path());
        ASSERT_EQ(readLanguageCode(store), QStringLiteral("ENG"));
        if (!c.fail()) {
            c.undo();
            std::printf("note: %s cannot fail on this machine\n", c.name);
            continue;
        }
        writeLanguageCode(store, QStringLiteral("CHT"));
        store.write(QStringLiteral("Other"), QStringLiteral("S"), QStringLiteral("K"),
                    QStringLiteral("v"));
        c.undo();
        EXPECT_EQ(readLanguageCode(store), QStringLiteral("CHT"));
        EXPECT_EQ(store.read(QStringLiteral("Other"), QStringLiteral("S"), QStringLiteral("K"), {}),
                  QStringLiteral("v"));
        QFile file(path());
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        EXPECT_EQ(file.readAll(), old);
        EXPECT_EQ(QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
                  QStringList{QStringLiteral("settings.ini")});
        EXPECT_TRUE(store.problem().isEmpty());
        FileSettingsStore next(path());
        EXPECT_EQ(readLanguageCode(next), QStringLiteral("ENG"));
    }
}

}  // namespace
}  // namespace cellwatch
