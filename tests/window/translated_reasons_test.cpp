// Why an import is refused and why a broker connection failed read in the
// window's language; the English the tools print stays as it was, and the
// words of another part (the system's, a library's) come after a lead.
#include <QLabel>
#include <QListWidget>
#include <QPushButton>

#include "app/broker_notice_texts.h"
#include "app/import_dialog.h"
#include "app/language.h"
#include "app/line_sharing.h"
#include "app/network_list.h"
#include "tests/support/window_test_support.h"

namespace cellwatch::windowtest {
namespace {

class TranslatedReasonsTest : public WindowTest {
protected:
    void TearDown() override { installLanguage(Language::English); }
};

TEST_F(TranslatedReasonsTest, ImportRefusalsReadInTheLanguageAndStayEnglishForTheTools) {
    const struct {
        const char* file;
        QByteArray bytes;
        const char* english;  // in the reason the tools print
        const char* german;   // in the window's line
    } cases[] = {
        {"empty.txt", "", "the file is empty", "die Datei ist leer"},
        {"sheet.xls", QByteArray("PK\x03\x04 workbook", 13), "spreadsheet workbook",
         "Tabellenkalkulationsmappe"},
        {"note.txt", "hello\r\n", "no ToolkitRC log, no OpenFormat", "weder ein ToolkitRC"},
        // A file's own words holding %2 stay as they are.
        {"odd.xls", "==Items==\r\n==Odd%2==\r\n",
         "line 2, column 1: unknown section ==Odd%2==: a ToolkitRC log has",
         "Zeile 2, Spalte 1: unbekannter Abschnitt ==Odd%2==: ein ToolkitRC-Protokoll hat"},
        {"nodata.xls", "==Items==\r\nname 1\r\n",
         "no ==Data== section: no ToolkitRC log (as ToolkitRC log)",
         "keinen ==Data==-Abschnitt: kein ToolkitRC-Protokoll (gelesen als ToolkitRC-Protokoll)"},
    };
    QStringList files;
    for (const auto& c : cases) {
        files << dir.filePath(QString::fromLatin1(c.file));
        writeFile(files.back(), c.bytes);
    }
    files << dir.path();  // a folder: the system's words after a lead
    ASSERT_TRUE(installLanguage(Language::German));
    ImportDialog dialog(journals(), QStringLiteral("1.0"));
    dialog.setFiles(files);
    dialog.importButton().click();
    ASSERT_TRUE(QTest::qWaitFor([&dialog] { return !dialog.running(); }, kWaitMs));
    ASSERT_EQ(dialog.results().count(), files.size());
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(cases[i].file);
        const QString line = dialog.results().item(static_cast<int>(i))->text();
        const QString english = dialog.outcomes()[i].reason;
        EXPECT_TRUE(english.contains(QLatin1String(cases[i].english))) << english.toStdString();
        EXPECT_TRUE(line.contains(QString::fromUtf8(cases[i].german))) << line.toStdString();
        EXPECT_FALSE(line.contains(QLatin1String(cases[i].english))) << line.toStdString();
        EXPECT_TRUE(logimport::resultLine(dialog.outcomes()[i]).endsWith(english));
    }
    const QString folder = dialog.results().item(static_cast<int>(std::size(cases)))->text();
    EXPECT_TRUE(folder.contains(QStringLiteral("kann nicht gelesen werden: ") +
                                dialog.outcomes().back().reason))
        << folder.toStdString();
    // Back in English, the lines are the tools' words again.
    ASSERT_TRUE(installLanguage(Language::English));
    test::settle();
    EXPECT_EQ(dialog.results().item(0)->text(), logimport::resultLine(dialog.outcomes()[0]));
}

// Every kind of failure has words of the language: none falls back to the
// client's English, and another part's words never stand alone.
TEST_F(TranslatedReasonsTest, EveryBrokerFailureReadsInTheLanguage) {
    using Kind = net::BrokerFailure::Kind;
    ASSERT_TRUE(installLanguage(Language::German));
    for (int k = 0; k <= static_cast<int>(Kind::TlsFailed); ++k) {
        net::BrokerFailure f{static_cast<Kind>(k), QStringLiteral("Words of a library"), 4, 9, 3};
        for (const std::int64_t code : {std::int64_t{4}, std::int64_t{77}}) {
            f.number = code;
            SCOPED_TRACE(net::brokerFailureLine(f).toStdString());
            net::BrokerNotice lost{net::BrokerNotice::Kind::Lost, QStringLiteral("h:1883")};
            lost.failure = f;
            const QString said = brokerFailureText(f);
            EXPECT_TRUE(brokerNoticeText(lost).contains(said));
            EXPECT_NE(said, net::brokerFailureLine(f));
            if (said.contains(f.detail)) {
                EXPECT_GT(said.indexOf(f.detail), 0) << said.toStdString();
            }
        }
    }
}

// The chargers' list tells a broker that is not there in the language, and
// again in the next one chosen while it shows.
TEST_F(TranslatedReasonsTest, TheNetworkListSaysWhyInTheLanguageChosenWhileItShows) {
    ASSERT_TRUE(installLanguage(Language::German));
    NetworkListDialog list(windowSettings(), QStringLiteral("mqtt://127.0.0.1:1"), QString());
    list.show();
    QLabel& state = list.stateLabel();
    ASSERT_TRUE(QTest::qWaitFor(
        [&state] { return state.text().contains(QStringLiteral("am Port des Brokers")); }, kWaitMs))
        << state.text().toStdString();
    ASSERT_TRUE(installLanguage(Language::English));
    test::settle();
    EXPECT_TRUE(state.text().contains(QStringLiteral("nothing takes connections")))
        << state.text().toStdString();
}

// Publishing's warnings (a password file others can read, a password sent
// without TLS) read in the window's language.
TEST_F(TranslatedReasonsTest, PublishingWarnsInTheLanguage) {
    const QString secret = dir.filePath(QStringLiteral("password"));
    writeFile(secret, "hunter2\n");
    QFile::setPermissions(secret, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadOther);
    open(QStringLiteral("DEU"));
    PublishChoice choice;
    choice.on = true;
    choice.address = QStringLiteral("mqtt://ann@127.0.0.1:1/bench");
    choice.passwordFile = secret;
    ASSERT_TRUE(w->findChild<LineSharing*>()->applyPublishing(choice)) << failureText();
    QStringList shown;
    Tool* list = tool("state", "state_text");
    for (int i = 0; i < list->itemCount(); ++i) {
        shown << list->item(i);
    }
    const QString all = shown.join(u'|');
    EXPECT_TRUE(all.contains(
        QStringLiteral("die Passwortdatei %1 ist für andere lesbar (Modus 0604)").arg(secret)))
        << all.toStdString();
    EXPECT_TRUE(all.contains(QStringLiteral("Das Passwort von ann geht unverschlüsselt")))
        << all.toStdString();
}

}  // namespace
}  // namespace cellwatch::windowtest
