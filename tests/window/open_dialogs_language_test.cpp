// A language chosen while a dialog is open reaches it at once: each dialog,
// opened in English, shows every text that is words in the pseudo-language
// (each text in ⟦ ⟧) once that is installed, its results and problems too.
#include <QAbstractButton>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QTranslator>
#include <functional>

#include "app/alarm_settings_dialog.h"
#include "app/database_dialog.h"
#include "app/import_dialog.h"
#include "app/language.h"
#include "app/line_hint.h"
#include "app/network_list.h"
#include "app/network_watch_dialog.h"
#include "app/pack_dialog.h"
#include "app/publish_dialog.h"
#include "app/recordings_dialog.h"
#include "app/share_dialog.h"
#include "app/summary_window.h"
#include "net/web_server.h"
#include "tests/support/window_test_support.h"

namespace cellwatch::windowtest {
namespace {

// Two letters in a row, but for data: addresses, file names, battery types,
// units, dates.
bool isWordText(const QString& text) {
    static const QRegularExpression words(QStringLiteral("[A-Za-z]{2,}"));
    static const QRegularExpression data(
        QStringLiteral("^((https?|mqtts?)://\\S+|\\S+\\.(csv|txt)|[A-Za-z-]+(/[A-Za-z]+)+|"
                       "Pb( AGM)?|NiMH|NiCd|LiFe|LiHV|mAh|Wh|V|A|W|s|℃|\\d.*)$"));
    // Line by line: examples of addresses, one a line, are data too.
    for (const QString& line : text.split(u'\n')) {
        const QString t = line.trimmed();
        if (t.contains(words) && !t.contains(data)) {
            return true;
        }
    }
    return false;
}

class OpenDialogsLanguageTest : public WindowTest {
protected:
    void SetUp() override {
        ASSERT_TRUE(pseudo.load(QStringLiteral(":/pseudo/cellwatch_pseudo.qm")));
    }
    void TearDown() override {
        QCoreApplication::removeTranslator(&pseudo);
        installLanguage(Language::English);
    }

    // Every shown text of `root` that is words and has no markers.
    static QStringList unmarked(QWidget& root) {
        QStringList out;
        const auto check = [&out](const QString& text, const QString& what) {
            if (isWordText(text) && !text.contains(u'⟦')) {
                out << what + QStringLiteral(": ") + text;
            }
        };
        check(root.windowTitle(), QStringLiteral("title"));
        for (QWidget* widget : root.findChildren<QWidget*>()) {
            // The readouts of the charger's state and battery type are data.
            static const QStringList readouts = {QStringLiteral("Label3_22"),
                                                 QStringLiteral("Label3_23"),
                                                 QStringLiteral("summary_battery")};
            if (!widget->isVisibleTo(&root) || readouts.contains(widget->objectName())) {
                continue;
            }
            if (auto* label = qobject_cast<QLabel*>(widget)) {
                check(label->text(), QStringLiteral("label"));
            } else if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
                auto* box = qobject_cast<QDialogButtonBox*>(button->parent());
                if (box == nullptr || box->standardButton(button) == QDialogButtonBox::NoButton) {
                    check(button->text(), QStringLiteral("button"));
                }
            } else if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
                check(edit->placeholderText(), QStringLiteral("hint"));
            } else if (auto* bar = qobject_cast<QProgressBar*>(widget)) {
                check(bar->format(), QStringLiteral("progress"));
            } else if (auto* list = qobject_cast<QListWidget*>(widget)) {
                for (int i = 0; i < list->count(); ++i) {
                    // A line and the reason in it are two texts.
                    if (list->item(i)->text().count(u'⟦') < 2) {
                        out << QStringLiteral("result: ") + list->item(i)->text();
                    }
                }
            }
        }
        return out;
    }

    template <typename Shown>
    QWidget* keep(std::unique_ptr<Shown> shown) {
        shown->show();
        test::settle();
        kept.push_back(std::move(shown));
        return kept.back().get();
    }

    QWidget* importWithRefusal() {
        const QString bad = dir.filePath(QStringLiteral("bad.txt"));
        writeFile(bad, "$1;1;10;4x;1.0\r\n");  // no number where one belongs
        auto dialog = std::make_unique<ImportDialog>(journals(), QStringLiteral("1.0"));
        dialog->setFiles({bad});
        ImportDialog& shown = *dialog;
        keep(std::move(dialog));
        shown.importButton().click();
        EXPECT_TRUE(QTest::qWaitFor([&shown] { return !shown.running(); }, kWaitMs));
        EXPECT_EQ(shown.results().count(), 1);
        return &shown;
    }

    QTranslator pseudo;
    net::WebServer server;
    std::vector<std::unique_ptr<QWidget>> kept;
};

TEST_F(OpenDialogsLanguageTest, OpenDialogsFollowTheLanguage) {
    const struct {
        const char* name;
        std::function<QWidget*()> show;
    } dialogs[] = {
        {"alarm settings",
         [this] {
             return keep(std::make_unique<AlarmSettingsDialog>(alarms::AlarmSettings::defaults()));
         }},
        {"publish",
         [this] {
             return keep(
                 std::make_unique<PublishDialog>(PublishChoice{}, PublishDialog::AskOpenFile{}));
         }},
        {"watch a charger",
         [this] { return keep(std::make_unique<WatchConnectDialog>(windowSettings())); }},
        {"import with a refusal", [this] { return importWithRefusal(); }},
        {"database with its problem",
         [this] {
             auto dialog =
                 std::make_unique<DatabaseDialog>(DatabaseChoice{}, DatabaseDialog::AskOpenFile{});
             dialog->onBox().setChecked(true);
             dialog->addressField().setText(QStringLiteral("nowhere"));
             dialog->accept();  // refused: its problem shows
             return keep(std::move(dialog));
         }},
        {"pack",
         [this] { return keep(std::make_unique<PackDialog>(PackInfo{}, QStringList{}, false)); }},
        {"recordings", [this] { return keep(std::make_unique<RecordingsDialog>(journals())); }},
        {"share",
         [this] {
             ShareChoice given;
             given.port = 0;
             return keep(std::make_unique<ShareDialog>(server, given));
         }},
        {"summary", [this] { return keep(std::make_unique<SummaryWindow>()); }},
        {"viewer",
         [this]() -> QWidget* {
             QByteArray bytes = testing::journalText(QStringLiteral("2026-12-07T09:00:00+01:00"));
             for (int t = 0; t <= 60; ++t) {
                 bytes += testing::journalRow({t, "+CHG+", 12.0, 4.0, 2 * t, 4.20});
             }
             const QString path = dir.filePath(QStringLiteral("20261207-090000.csv"));
             writeFile(path, bytes);
             open();
             return openViewer(path);
         }},
        {"chargers on the network",
         [this] {
             return keep(std::make_unique<NetworkListDialog>(
                 windowSettings(), QStringLiteral("mqtt://127.0.0.1:1"), QString()));
         }},
    };
    for (const auto& dialog : dialogs) {
        SCOPED_TRACE(dialog.name);
        QWidget* shown = dialog.show();
        ASSERT_NE(shown, nullptr);
        EXPECT_FALSE(unmarked(*shown).isEmpty()) << "opened in English";
        ASSERT_TRUE(QCoreApplication::installTranslator(&pseudo));
        test::settle();
        const QStringList left = unmarked(*shown);
        EXPECT_TRUE(left.isEmpty()) << left.join(u'\n').toStdString();
        QCoreApplication::removeTranslator(&pseudo);
        test::settle();
        kept.clear();
    }
}

// In German, the longest language, each dialog's hints (a line's grey
// placeholder) show whole, not cut with "…". The window's scale changes no
// width in these units, so this holds at 150 % as well.
TEST_F(OpenDialogsLanguageTest, GermanHintsShowWhole) {
    ASSERT_TRUE(installLanguage(Language::German));
    const struct {
        const char* name;
        std::function<QWidget*()> show;
    } dialogs[] = {
        {"publish",
         [this] {
             return keep(
                 std::make_unique<PublishDialog>(PublishChoice{}, PublishDialog::AskOpenFile{}));
         }},
        {"watch a charger",
         [this] { return keep(std::make_unique<WatchConnectDialog>(windowSettings())); }},
        {"database",
         [this] {
             return keep(
                 std::make_unique<DatabaseDialog>(DatabaseChoice{}, DatabaseDialog::AskOpenFile{}));
         }},
        {"pack",
         [this] { return keep(std::make_unique<PackDialog>(PackInfo{}, QStringList{}, false)); }},
        {"import", [this] { return keep(std::make_unique<ImportDialog>(journals(), "1.0")); }},
    };
    for (const auto& dialog : dialogs) {
        SCOPED_TRACE(dialog.name);
        QWidget* shown = dialog.show();
        for (QLineEdit* edit : shown->findChildren<QLineEdit*>()) {
            if (edit->isVisibleTo(shown) && !edit->placeholderText().isEmpty()) {
                EXPECT_GE(placeholderRoom(*edit),
                          edit->fontMetrics().horizontalAdvance(edit->placeholderText()))
                    << edit->placeholderText().toStdString();
            }
        }
        kept.clear();
    }
}

}  // namespace
}  // namespace cellwatch::windowtest
