// Every text the window shows goes through the translations: with a
// pseudo-translation installed (each text in ⟦ ⟧), every text that is words
// carries the markers, idle and connected, in every menu.
#include <QAbstractButton>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QRegularExpression>
#include <QTabBar>
#include <QToolBar>
#include <QTranslator>
#include <functional>

#include "app/language.h"
#include "tests/support/settle.h"
#include "tests/support/window_test_support.h"

namespace cellwatch::windowtest {
namespace {

// Words: two letters in a row. Data that shows as words is no text of the
// program's: port and charger names, units, the program's version.
bool isWords(const QString& text) {
    static const QRegularExpression words(QStringLiteral("[A-Za-z\\x{4e00}-\\x{9fff}]{2,}"));
    static const QRegularExpression data(QStringLiteral(
        "^(COM ?\\d+|/dev/\\S+|emulator:\\S+|\\S*tty\\S*|mAh|Wh|mV|V|A|W|℃|\\d.*)$"));
    const QString t = text.trimmed();
    return t.contains(words) && !t.contains(data);
}

bool marked(const QString& text) {
    return text.contains(u'⟦') && text.contains(u'⟧');
}

class PseudoTranslationTest : public WindowTest {
protected:
    void SetUp() override {
        ASSERT_TRUE(pseudo.load(QStringLiteral(":/pseudo/cellwatch_pseudo.qm")));
    }
    void TearDown() override {
        QCoreApplication::removeTranslator(&pseudo);
        installLanguage(Language::English);
    }

    // The window in the pseudo-language, its texts written again.
    void translate() {
        QCoreApplication::installTranslator(&pseudo);
        w->SetCaptions();
        test::settle();
    }

    // Notes every text of `root` that is words without the markers.
    void walk(QWidget& root, const QString& where) {
        const auto check = [&](const QString& text, const QString& what) {
            if (isWords(text) && !marked(text)) {
                unmarked << where + u' ' + what + QStringLiteral(": ") + text;
            }
        };
        check(root.windowTitle(), QStringLiteral("title"));
        for (QWidget* widget : root.findChildren<QWidget*>()) {
            if (!widget->isVisibleTo(&root)) {
                continue;
            }
            const QString name = widget->objectName();
            // The readouts of the charger's state and battery type are data.
            if (name == QLatin1String("Label3_22") || name == QLatin1String("Label3_23")) {
                continue;
            }
            if (auto* label = qobject_cast<QLabel*>(widget)) {
                check(label->text(), name);
            } else if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
                check(button->text(), name);
            } else if (auto* tabs = qobject_cast<QTabBar*>(widget)) {
                for (int i = 0; i < tabs->count(); ++i) {
                    check(tabs->tabText(i), name);
                }
            } else if (auto* header = qobject_cast<QHeaderView*>(widget)) {
                if (QAbstractItemModel* model = header->model()) {
                    const int n = header->orientation() == Qt::Horizontal ? model->columnCount()
                                                                          : model->rowCount();
                    for (int i = 0; i < n; ++i) {
                        check(model->headerData(i, header->orientation()).toString(), name);
                    }
                }
            }
        }
        for (QToolBar* bar : root.findChildren<QToolBar*>()) {
            for (QAction* action : bar->actions()) {
                check(action->toolTip(), QStringLiteral("tooltip"));
            }
        }
        for (QMenu* menu : root.findChildren<QMenu*>()) {
            menu->popup(QPoint(0, 0));  // opened: its own texts are brought up to date
            test::settle();
            check(menu->title(), QStringLiteral("menu"));
            for (QAction* action : menu->actions()) {
                check(action->text(), QStringLiteral("menu ") + menu->objectName());
            }
            menu->hide();
        }
    }

    QTranslator pseudo;
    QStringList unmarked;
};

// The windows the test opens, each walked as it shows. To add a window or
// dialog, add a row that opens it and returns it.
TEST_F(PseudoTranslationTest, EveryTextOfTheWindowIsTranslated) {
    const struct {
        const char* name;
        std::function<QWidget*()> show;
    } windows[] = {
        {"idle", [this] { return &open(); }},
        {"connected",
         [this] {
             openConnected(3);
             return w.get();
         }},
    };
    for (const auto& shown : windows) {
        SCOPED_TRACE(shown.name);
        unmarked.clear();
        QWidget* window = shown.show();
        ASSERT_NE(window, nullptr);
        translate();
        walk(*window, QString::fromLatin1(shown.name));
        EXPECT_TRUE(unmarked.isEmpty()) << unmarked.join(u'\n').toStdString();
        QCoreApplication::removeTranslator(&pseudo);
    }
}

}  // namespace
}  // namespace cellwatch::windowtest
