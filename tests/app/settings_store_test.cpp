#include "app/settings_store.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

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

TEST_F(SettingsStoreTest, DamagedFilesReadAsDefaultsAndCanBeWrittenAgain) {
    const QByteArray damaged[] = {
        QByteArray("\x00\xff\xfe garbage \x01\x02", 15),
        QByteArray("Lang=ENG\n"),                    // an entry outside any section
        QByteArray("[Cellwatch    \nLang=ENG\n"),    // a header never closed
        QByteArray("[Cellwatch    |Lang]\n=ENG\n"),  // no key
        QByteArray(2 << 20, 'x'),                    // far too large to be ours
    };
    for (const QByteArray& bytes : damaged) {
        writeRaw(bytes);
        FileSettingsStore store(path());
        EXPECT_EQ(readLanguageCode(store), QStringLiteral("CHT"));
        writeLanguageCode(store, QStringLiteral("ENG"));
        EXPECT_EQ(readLanguageCode(store), QStringLiteral("ENG"));
    }
}

// A pipe or a device where the file belongs reads as nothing stored, at once
// (opening a pipe for reading would wait for a writer forever).
TEST_F(SettingsStoreTest, APipeOrDeviceInItsPlaceReadsAsNothingStored) {
    QDir().mkpath(dir.filePath(QStringLiteral("sub")));
    ASSERT_EQ(mkfifo(QFile::encodeName(path()).constData(), 0600), 0);
    FileSettingsStore store(path());
    EXPECT_EQ(readLanguageCode(store), QStringLiteral("CHT"));
    writeLanguageCode(store, QStringLiteral("ENG"));  // replaces the pipe
    EXPECT_EQ(readLanguageCode(FileSettingsStore(path())), QStringLiteral("ENG"));

    EXPECT_EQ(readLanguageCode(FileSettingsStore(QStringLiteral("/dev/zero"))),
              QStringLiteral("CHT"));
}

TEST(LanguageSelection, OnlyExactChtIsChinese) {
    EXPECT_TRUE(isChinese(QStringLiteral("CHT")));
    for (const char* other : {"cht", "ENG", "", "CHT ", "xyz"}) {
        EXPECT_FALSE(isChinese(QString::fromLatin1(other))) << other;
    }
}

}  // namespace
}  // namespace cellwatch
