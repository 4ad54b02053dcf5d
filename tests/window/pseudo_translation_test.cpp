// Every text the window shows goes through the translations: with a
// pseudo-translation installed (each text in ⟦ ⟧), every text that is words
// carries the markers, idle and connected, in every menu. A language chosen
// while a dialog is open reaches it at once, its results and problems too.
#include <QAbstractButton>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QTabBar>
#include <QTabWidget>
#include <QToolBar>
#include <QTranslator>
#include <functional>

#include "app/about_box.h"
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
#include "tests/support/settle.h"
#include "tests/support/window_test_support.h"

namespace cellwatch::windowtest {
namespace {

// Words: two letters in a row. Data that shows as words is no text of the
// program's: port and charger names, units, the program's version.
bool isWords(const QString& text) {
    static const QRegularExpression words(QStringLiteral("[A-Za-z\\x{4e00}-\\x{9fff}]{2,}"));
    static const QRegularExpression data(QStringLiteral(
        "^(COM ?\\d+|/dev/\\S+|emulator:\\S+|\\S*tty\\S*|\\S+\\.(csv|txt)|mAh|Wh|mV|℃|\\d.*|"
        "(https?|mqtts?)://\\S+|[A-Za-z-]+(/[A-Za-z]+)+|Pb( AGM)?|NiMH|NiCd|LiFe|LiHV)$"));
    // Line by line: examples of addresses, one a line, are data too.
    for (const QString& line : text.split(u'\n')) {
        const QString t = line.trimmed();
        if (t.contains(words) && !t.contains(data)) {
            return true;
        }
    }
    return false;
}

// Texts that stay as they are in every language: the about box's caption.
bool keptAsItIs(const QString& line) {
    return line == QLatin1String("about title: About");
}

// A text that is words, and how many ⟦ it carries translated: a result
// line and the reason in it are two texts.
struct ShownText {
    QString where;
    QString text;
    int markers;
};

class PseudoTranslationTest : public WindowTest {
protected:
    void SetUp() override {
        ASSERT_TRUE(pseudo.load(QStringLiteral(":/pseudo/cellwatch_pseudo.qm")));
    }
    void TearDown() override {
        QCoreApplication::removeTranslator(&pseudo);
        installLanguage(Language::English);
    }

    // The pseudo-language, before a window opens: what takes its texts
    // once, as it opens, takes them in it.
    void install() {
        if (!installed) {
            installed = QCoreApplication::installTranslator(&pseudo);
        }
    }
    // The window in the pseudo-language, its texts written again.
    void translate() {
        install();
        if (w) {
            w->SetCaptions();
        }
        test::settle();
    }

    // Every text of `root` that is words.
    static std::vector<ShownText> texts(QWidget& root, const QString& where) {
        std::vector<ShownText> out;
        const auto add = [&](const QString& text, const QString& what, int markers = 1) {
            if (isWords(text)) {
                out.push_back({where + u' ' + what, text, markers});
            }
        };
        add(root.windowTitle(), QStringLiteral("title"));
        for (QWidget* widget : root.findChildren<QWidget*>()) {
            const QString name = widget->objectName();
            // The readouts of the charger's state and battery type are data.
            if (!widget->isVisibleTo(&root) || name == QLatin1String("Label3_22") ||
                name == QLatin1String("Label3_23") || name == QLatin1String("summary_battery")) {
                continue;
            }
            if (auto* label = qobject_cast<QLabel*>(widget)) {
                add(label->text(), name);
            } else if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
                // A dialog's OK and Cancel are Qt's own, in its translations.
                auto* box = qobject_cast<QDialogButtonBox*>(button->parent());
                if (box == nullptr || box->standardButton(button) == QDialogButtonBox::NoButton) {
                    add(button->text(), name);
                }
            } else if (auto* tabs = qobject_cast<QTabBar*>(widget)) {
                for (int i = 0; i < tabs->count(); ++i) {
                    add(tabs->tabText(i), name);
                }
            } else if (auto* header = qobject_cast<QHeaderView*>(widget)) {
                if (QAbstractItemModel* model = header->model()) {
                    const int n = header->orientation() == Qt::Horizontal ? model->columnCount()
                                                                          : model->rowCount();
                    for (int i = 0; i < n; ++i) {
                        add(model->headerData(i, header->orientation()).toString(), name);
                    }
                }
            } else if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
                add(edit->placeholderText(), name + QStringLiteral(" hint"));
            } else if (auto* bar = qobject_cast<QProgressBar*>(widget)) {
                add(bar->format(), name);
            } else if (auto* list = qobject_cast<QListWidget*>(widget)) {
                for (int i = 0; i < list->count(); ++i) {
                    add(list->item(i)->text(), name, 2);
                }
            }
        }
        for (QToolBar* bar : root.findChildren<QToolBar*>()) {
            for (QAction* action : bar->actions()) {
                add(action->toolTip(), QStringLiteral("tooltip"));
            }
        }
        for (QMenu* menu : root.findChildren<QMenu*>()) {
            menu->popup(QPoint(0, 0));  // opened: its own texts are brought up to date
            test::settle();
            add(menu->title(), QStringLiteral("menu"));
            // The languages are each one's own name, the same in every language.
            for (QAction* action : menu->actions()) {
                if (menu->objectName() != QLatin1String("Lang1")) {
                    add(action->text(), QStringLiteral("menu ") + menu->objectName());
                }
            }
            menu->hide();
        }
        return out;
    }

    // The texts of `root` with fewer markers than translated (`translated`),
    // or with any (not).
    static QStringList wrong(QWidget& root, const QString& where, bool translated) {
        QStringList out;
        for (const ShownText& t : texts(root, where)) {
            const int markers = static_cast<int>(t.text.count(u'⟦'));
            const QString line = t.where + QStringLiteral(": ") + t.text;
            if (translated ? markers < t.markers && !keptAsItIs(line) : markers > 0) {
                out << line;
            }
        }
        return out;
    }

    // Keeps a window or dialog the test opens itself, shown.
    template <typename Shown>
    QWidget* keep(std::unique_ptr<Shown> shown) {
        shown->show();
        test::settle();
        kept.push_back(std::move(shown));
        return kept.back().get();
    }

    // A journal that kept two alarms, in the window's journal folder.
    QString journalWithAlarms() {
        QByteArray bytes = testing::journalText(QStringLiteral("2026-12-07T09:00:00+01:00"));
        for (int t = 0; t <= 120; ++t) {
            bytes += testing::journalRow({t, "+CHG+", 12.0, 4.0, 2 * t, 4.20});
            if (t == 60) {
                bytes += "# alarm cell-high: Cell 2 at 4.26 V (limit 4.25 V)\r\n";
            }
        }
        bytes += "# alarm temperature: External temperature 46 °C (limit 45 °C)\r\n";
        QDir().mkpath(journals());
        const QString path = QDir(journals()).filePath(QStringLiteral("20261207-090000.csv"));
        writeFile(path, bytes);
        return path;
    }

    // The viewer of that journal on its sheet `sheet`.
    QWidget* viewerOn(int sheet) {
        open();
        ViewerWindow* viewer = openViewer(journalWithAlarms());
        if (viewer != nullptr) {
            viewer->sheets().setCurrentIndex(sheet);
            test::settle();
        }
        return viewer;
    }

    QWidget* packDialog(bool forRecording) {
        auto dialog = std::make_unique<PackDialog>(PackInfo{}, QStringList{}, forRecording);
        dialog->cellHighBox().setText(QStringLiteral("3.00"));
        dialog->cellLowBox().setText(QStringLiteral("3.50"));
        dialog->accept();  // refused: its problem shows
        return keep(std::move(dialog));
    }

    QWidget* shareDialog(bool on) {
        ShareChoice given;
        given.scope = ShareChoice::Scope::ThisComputer;
        given.port = 0;  // any free port
        auto dialog = std::make_unique<ShareDialog>(server, given);
        dialog->onBox().setChecked(on);
        return keep(std::move(dialog));
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

    QWidget* publishDialog() {
        return keep(std::make_unique<PublishDialog>(PublishChoice{}, PublishDialog::AskOpenFile{}));
    }
    QWidget* watchDialog() { return keep(std::make_unique<WatchConnectDialog>(windowSettings())); }
    QWidget* databaseDialog() {
        return keep(
            std::make_unique<DatabaseDialog>(DatabaseChoice{}, DatabaseDialog::AskOpenFile{}));
    }

    QTranslator pseudo;
    bool installed = false;
    net::WebServer server;
    std::vector<std::unique_ptr<QWidget>> kept;
};

// The windows the test opens, each walked as it shows in the pseudo-language;
// then each but the main window is walked again after a switch to English
// and back. To add a window or dialog, add a row that opens it and returns it.
TEST_F(PseudoTranslationTest, EveryTextOfTheWindowIsTranslated) {
    const struct {
        const char* name;
        std::function<QWidget*()> show;
        bool switched = true;
    } windows[] = {
        {"idle", [this] { return &open(); }, false},
        {"connected",
         [this] {
             openConnected(3);
             return w.get();
         },
         false},
        {"viewer summary", [this] { return viewerOn(0); }},
        {"viewer readouts", [this] { return viewerOn(1); }},
        {"viewer cells", [this] { return viewerOn(2); }},
        {"pack", [this] { return packDialog(false); }},
        {"pack of a recording", [this] { return packDialog(true); }},
        {"recordings with a pack",
         [this] {
             journalWithAlarms();
             auto dialog = std::make_unique<RecordingsDialog>(journals());
             dialog->filterByPack(QStringLiteral("Pack A"));
             return keep(std::move(dialog));
         }},
        {"share off", [this] { return shareDialog(false); }},
        {"share on", [this] { return shareDialog(true); }},
        {"summary", [this] { return keep(std::make_unique<SummaryWindow>()); }},
        {"alarm settings",
         [this] {
             return keep(std::make_unique<AlarmSettingsDialog>(alarms::AlarmSettings::defaults()));
         }},
        {"publish", [this] { return publishDialog(); }},
        {"watch a charger", [this] { return watchDialog(); }},
        {"chargers on the network",
         [this] {
             return keep(std::make_unique<NetworkListDialog>(
                 windowSettings(), QStringLiteral("mqtt://127.0.0.1:1"), QString()));
         }},
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
        {"about", [this] { return keep(std::make_unique<AboutBox>(QStringLiteral("ENG"))); }},
    };
    for (const auto& shown : windows) {
        SCOPED_TRACE(shown.name);
        install();
        QWidget* window = shown.show();
        ASSERT_NE(window, nullptr);
        translate();
        const QString name = QString::fromLatin1(shown.name);
        QStringList left = wrong(*window, name, true);
        EXPECT_TRUE(left.isEmpty()) << left.join(u'\n').toStdString();
        if (shown.switched) {
            // What a window writes only as it opens stays in the language it
            // opened in.
            QCoreApplication::removeTranslator(&pseudo);
            test::settle();
            left = wrong(*window, name, false);
            EXPECT_TRUE(left.isEmpty()) << "in English:\n" << left.join(u'\n').toStdString();
            EXPECT_FALSE(texts(*window, name).empty());
            ASSERT_TRUE(QCoreApplication::installTranslator(&pseudo));
            test::settle();
            left = wrong(*window, name, true);
            EXPECT_TRUE(left.isEmpty()) << "switched back:\n" << left.join(u'\n').toStdString();
        }
        QCoreApplication::removeTranslator(&pseudo);
        installed = false;
        kept.clear();
    }
}

// In German, the longest language, each dialog's hints (a line's grey
// placeholder) show whole, not cut with "…". The window's scale changes no
// width in these units, so this holds at 150 % as well.
TEST_F(PseudoTranslationTest, GermanHintsShowWhole) {
    ASSERT_TRUE(installLanguage(Language::German));
    const struct {
        const char* name;
        std::function<QWidget*()> show;
    } dialogs[] = {
        {"publish", [this] { return publishDialog(); }},
        {"watch a charger", [this] { return watchDialog(); }},
        {"database", [this] { return databaseDialog(); }},
        {"pack", [this] { return packDialog(false); }},
        {"import", [this] { return importWithRefusal(); }},
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
