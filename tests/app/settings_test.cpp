#include "app/settings.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <optional>
#include <vector>

#include "app/commands.h"

namespace cellwatch {
namespace {

constexpr Flag kAllFlags[] = {Flag::ZoomPan,    Flag::CellCurves,       Flag::Reconnect,
                              Flag::WhitePaper, Flag::AllChannels,      Flag::AlarmSound,
                              Flag::PublishOn,  Flag::PublishDiscovery, Flag::ShareOn};
constexpr Text kAllTexts[] = {Text::Language,      Text::PublishAddress, Text::PublishPasswordFile,
                              Text::PublishCaFile, Text::PublishKeyFile, Text::ShareScope,
                              Text::ShareAddress,  Text::SharePort,      Text::WatchAddress,
                              Text::WatchKeyFile,  Text::Broker,         Text::PackName,
                              Text::PackNote,      Text::PackChemistry,  Text::PackCells,
                              Text::PackCapacity,  Text::PackCellHigh,   Text::PackCellLow,
                              Text::CellShare};
constexpr Keyed kAllKeyed[] = {Keyed::Charger, Keyed::AlarmOn, Keyed::AlarmLimit,
                               Keyed::AlarmSecond};

bool onByDefault(Flag flag) {
    return flag == Flag::Reconnect || flag == Flag::WhitePaper || flag == Flag::AlarmSound;
}

class SettingsTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString path() const { return dir.filePath(QStringLiteral("settings.ini")); }
    void writeRaw(const QByteArray& bytes) const {
        QFile f(path());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
};

// A file as the program wrote it before the settings had names: every value
// in it is read, and nothing stored reads as each setting's default.
TEST_F(SettingsTest, AnEarlierFileReadsTheSameAndNothingStoredReadsAsTheDefaults) {
    {
        FileSettingsStore store(path());
        const Settings none(store);
        EXPECT_EQ(none.languageCode(), QStringLiteral("CHT"));
        EXPECT_EQ(none.language(), Language::Chinese);
        for (Flag flag : kAllFlags) {
            EXPECT_EQ(none.on(flag), onByDefault(flag)) << static_cast<int>(flag);
        }
        EXPECT_EQ(none.text(Text::ShareScope), QStringLiteral("network"));
        EXPECT_EQ(none.text(Text::SharePort), QStringLiteral("8080"));
        EXPECT_EQ(none.text(Text::PackChemistry), QStringLiteral("-"));
        EXPECT_EQ(none.text(Text::Broker), QString());
        EXPECT_EQ(none.text(Keyed::AlarmOn, QStringLiteral("cell-high")), QStringLiteral("1"));
        EXPECT_EQ(none.cellShare(), std::nullopt);
    }
    writeRaw(
        "; Cellwatch settings\n"
        "[Cellwatch    |Lang]\nLang=DEU\n"
        "[Cellwatch    |ZoomPan]\nZoomPan=1\n"
        "[Cellwatch    |CellCurves]\nCellCurves=1\nShare=0.400\n"
        "[Cellwatch    |Reconnect]\nReconnect=0\n"
        "[Cellwatch    |Pictures]\nWhitePaper=0\n"
        "[Cellwatch    |AllChannels]\nAllChannels=1\n"
        "[Cellwatch    |Alarms]\nsound=0\ncell-high.on=0\ncell-high.limit=4.3\n"
        "cell-high.second=2.5\n"
        "[Cellwatch    |Publish]\nOn=1\nDiscovery=1\nAddress=mqtt://b/n\n"
        "PasswordFile=/p\nCaFile=/c\nKeyFile=/k\n"
        "[Cellwatch    |Share]\nOn=1\nScope=local\nAddress=10.0.0.2\nPort=9000\n"
        "[Cellwatch    |Network]\nWatchAddress=mqtt://w/n\nWatchKeyFile=/w\n"
        "Broker=mqtt://x\n"
        "[Cellwatch    |Pack]\nName=P1\nNote=old\nChemistry=LiPo\nCells=4\n"
        "CapacityMah=2200\nCellHighV=4.2\nCellLowV=3.3\n"
        "[Cellwatch    |Chargers]\n/dev/ttyUSB0=icharger\n");
    FileSettingsStore store(path());
    const Settings kept(store);
    EXPECT_EQ(kept.language(), Language::German);
    for (Flag flag : kAllFlags) {
        EXPECT_NE(kept.on(flag), onByDefault(flag)) << static_cast<int>(flag);
    }
    const std::pair<Text, const char*> texts[] = {{Text::PublishAddress, "mqtt://b/n"},
                                                  {Text::PublishPasswordFile, "/p"},
                                                  {Text::PublishCaFile, "/c"},
                                                  {Text::PublishKeyFile, "/k"},
                                                  {Text::ShareScope, "local"},
                                                  {Text::ShareAddress, "10.0.0.2"},
                                                  {Text::SharePort, "9000"},
                                                  {Text::WatchAddress, "mqtt://w/n"},
                                                  {Text::WatchKeyFile, "/w"},
                                                  {Text::Broker, "mqtt://x"},
                                                  {Text::PackName, "P1"},
                                                  {Text::PackNote, "old"},
                                                  {Text::PackChemistry, "LiPo"},
                                                  {Text::PackCells, "4"},
                                                  {Text::PackCapacity, "2200"},
                                                  {Text::PackCellHigh, "4.2"},
                                                  {Text::PackCellLow, "3.3"},
                                                  {Text::CellShare, "0.400"}};
    for (const auto& [text, value] : texts) {
        EXPECT_EQ(kept.text(text), QLatin1String(value)) << static_cast<int>(text);
    }
    EXPECT_EQ(kept.cellShare(), 0.4);
    EXPECT_EQ(kept.text(Keyed::Charger, QStringLiteral("/dev/ttyUSB0")),
              QStringLiteral("icharger"));
    EXPECT_EQ(kept.text(Keyed::AlarmOn, QStringLiteral("cell-high")), QStringLiteral("0"));
    EXPECT_EQ(kept.text(Keyed::AlarmLimit, QStringLiteral("cell-high")), QStringLiteral("4.3"));
    EXPECT_EQ(kept.text(Keyed::AlarmSecond, QStringLiteral("cell-high")), QStringLiteral("2.5"));
}

// Every setting written survives a restart, each in a place of its own:
// none overwrites another (two sections both have an "On", an "Address").
TEST_F(SettingsTest, EverySettingWrittenIsReadBackAfterARestartAndNoneOverwritesAnother) {
    const auto textValue = [](Text text) {
        // Names and values with the file format's own characters in them.
        return QStringLiteral("v%1 = [a|b] ;\n").arg(static_cast<int>(text));
    };
    const auto keyedValue = [](Keyed keyed, const QString& name) {
        return QStringLiteral("%1 of %2").arg(static_cast<int>(keyed)).arg(name);
    };
    const QStringList names = {QStringLiteral("COM3"), QStringLiteral("/dev/ttyUSB0 [FTDI]"),
                               QStringLiteral("odd %1 = name")};
    FileSettingsStore store(path());
    Settings settings(store);
    for (Text text : kAllTexts) {
        settings.setText(text, textValue(text));
    }
    for (Keyed keyed : kAllKeyed) {
        for (const QString& name : names) {
            settings.setText(keyed, name, keyedValue(keyed, name));
        }
    }
    // One switch turned at a time: it alone changes, the texts stay.
    for (Flag flag : kAllFlags) {
        SCOPED_TRACE(static_cast<int>(flag));
        settings.setOn(flag, !onByDefault(flag));
        FileSettingsStore reopened(path());
        const Settings again(reopened);
        for (Flag other : kAllFlags) {
            EXPECT_EQ(again.on(other), onByDefault(other) != (other == flag))
                << static_cast<int>(other);
        }
        for (Text text : kAllTexts) {
            EXPECT_EQ(again.text(text), textValue(text)) << static_cast<int>(text);
        }
        for (Keyed keyed : kAllKeyed) {
            for (const QString& name : names) {
                EXPECT_EQ(again.text(keyed, name), keyedValue(keyed, name)) << name.toStdString();
            }
        }
        settings.setOn(flag, onByDefault(flag));
    }
}

// The language is read once: a change made behind the object's back (another
// program's) is not seen until the next start; one made through it is seen
// at once and kept.
TEST_F(SettingsTest, TheLanguageIsReadOnceAndFollowsOnlyWhatIsWrittenThroughIt) {
    FileSettingsStore store(path());
    writeLanguageCode(store, kLanguageEnglish);
    Settings settings(store);
    FileSettingsStore other(path());
    writeLanguageCode(other, kLanguageChinese);
    EXPECT_EQ(settings.languageCode(), kLanguageEnglish);
    EXPECT_FALSE(chineseChosen(settings));

    settings.setLanguageCode(QStringLiteral("DEU"));
    EXPECT_EQ(settings.language(), Language::German);
    EXPECT_EQ(settings.text(Text::Language), QStringLiteral("DEU"));
    settings.setText(Text::Language, kLanguageChinese);
    EXPECT_TRUE(chineseChosen(settings));
    EXPECT_EQ(readLanguageCode(FileSettingsStore(path())), kLanguageChinese);
}

// A settings file that can be neither read nor written, nor the one beside
// it, still gives the defaults, and what is set holds for the session, the
// language too. (An unreadable or damaged file with room beside it:
// SettingsStoreTest.)
TEST_F(SettingsTest, AFileThatCannotBeUsedStillServesTheSession) {
    QDir().mkpath(path());
    QDir().mkpath(FileSettingsStore::besidePath(path()));
    FileSettingsStore store(path());
    Settings settings(store);
    EXPECT_EQ(settings.languageCode(), kLanguageChinese);
    EXPECT_TRUE(settings.on(Flag::Reconnect));
    settings.setLanguageCode(kLanguageEnglish);
    settings.setOn(Flag::Reconnect, false);
    settings.setText(Keyed::Charger, QStringLiteral("COM1"), QStringLiteral("skyrc"));
    EXPECT_EQ(settings.languageCode(), kLanguageEnglish);
    EXPECT_FALSE(settings.on(Flag::Reconnect));
    EXPECT_EQ(settings.text(Keyed::Charger, QStringLiteral("COM1")), QStringLiteral("skyrc"));
}

// Checked states kept in the settings belong to checkable commands only, one
// switch to a command, and the handle reads and writes that switch.
TEST(SettingsCommands, EachKeptCheckedStateIsACheckableCommandsOwnSwitch) {
    QTemporaryDir dir;
    FileSettingsStore store(dir.filePath(QStringLiteral("settings.ini")));
    Settings settings(store);
    std::vector<Flag> tied;
    for (const CommandEntry& entry : commandCatalogue()) {
        const std::optional<BoolSetting> kept = settings.commandSetting(entry.id);
        if (!kept) {
            continue;
        }
        SCOPED_TRACE(entry.tool);
        EXPECT_TRUE(entry.checkable);
        EXPECT_EQ(std::ranges::count(tied, kept->flag()), 0);
        tied.push_back(kept->flag());
        const bool was = kept->get();
        kept->set(!was);
        EXPECT_EQ(settings.on(kept->flag()), !was);
    }
    EXPECT_EQ(tied, (std::vector<Flag>{Flag::Reconnect, Flag::ZoomPan, Flag::CellCurves}));
}

}  // namespace
}  // namespace cellwatch
