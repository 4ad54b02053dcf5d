// The window on its own: languages and captions, the commands that need no
// charger (the about box and the help page among them), the layout as the
// window is resized, the charger model's gauge.
#include "app/main_window.h"

#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QHelpEvent>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QScreen>
#include <QTextBrowser>
#include <QToolBar>
#include <QToolButton>
#include <QToolTip>
#include <QUrl>
#include <cmath>

#include "app/about_box.h"
#include "app/captions.h"
#include "app/help_page.h"
#include "app/power_gauge.h"
#include "app/tab_control.h"
#include "tests/support/settle.h"
#include "tests/support/window_test_support.h"

namespace cellwatch::windowtest {
namespace {

class MainWindowTest : public WindowTest {
protected:
    QString label(const char* name) const {
        auto* l = w->findChild<QLabel*>(QString::fromLatin1(name));
        return l ? l->text() : QStringLiteral("<missing>");
    }
};

TEST_F(MainWindowTest, FirstStartIsChineseThenEnglishStaysChosen) {
    // A port is found: the band says nothing of the emulator.
    ports.list.push_back({QStringLiteral("COM1"), QStringLiteral("Communications Port"), false});
    {
        open(std::nullopt);
        EXPECT_EQ(w->windowTitle(), QString::fromUtf8("Dorire 充电监控      1.10.0"));
        EXPECT_EQ(tool("state", "state_text")->text(), QString::fromUtf8("已将语言设置为中文"));
        EXPECT_EQ(w->chart().titleLines(), QStringList{QString::fromUtf8("空闲")});
        EXPECT_FALSE(QFile::exists(store->path()));  // nothing stored until chosen

        w->tabs().setCurrentPage(1);
        click("Lang1", "ENG");
        EXPECT_EQ(readLanguageCode(*store), QStringLiteral("ENG"));
        EXPECT_EQ(w->tabs().currentPage(), 0);
        EXPECT_EQ(tool("Tools", "Language")->width(), 800);
        Tool* status = tool("state", "state_text");
        EXPECT_EQ(status->itemCount(), 2);
        EXPECT_EQ(status->text(), QStringLiteral("The language has been set into English"));
    }
    open(std::nullopt);
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Cellwatch         1.10.0"));
    EXPECT_EQ(w->chart().titleLines(), QStringList{QStringLiteral("Idle")});
    EXPECT_EQ(w->tabs().pageCaption(1), QStringLiteral("Real-time data"));
    EXPECT_EQ(w->chart().axisTitle(ChartAxis::Temperature), QStringLiteral("Temperature(℃)"));
}

TEST_F(MainWindowTest, ToolsWithoutACommandChangeNothing) {
    open();
    const QString title = w->windowTitle();
    const int statusItems = tool("state", "state_text")->itemCount();
    for (auto [band, name] : {std::pair{"Help1", "Guid"},
                              {"state", "Model"},
                              {"state", "USBL1"},
                              {"state", "Link_state"},
                              {"Tools", "Language"}}) {
        w->OnToolClick(tool(band, name));
    }
    EXPECT_EQ(w->windowTitle(), title);
    EXPECT_EQ(tool("state", "state_text")->itemCount(), statusItems);
    EXPECT_TRUE(failures.isEmpty());
    EXPECT_TRUE(w->isVisible());
}

TEST_F(MainWindowTest, ProportionalLayout) {
    open();
    const QSize start = w->size();

    QWidget* chart = &w->chart();
    QWidget* frame2 = w->frame(2);
    QWidget* frame1 = w->frame(1);
    QWidget* help = &w->helpPane();
    const QRect chart0 = chart->geometry(), frame20 = frame2->geometry(),
                frame10 = frame1->geometry(), help0 = help->geometry();
    // 600 x 300 twips more.
    const int dx = static_cast<int>(600 / w->twipsPerPixelX());
    const int dy = static_cast<int>(300 / w->twipsPerPixelY());
    w->resize(start.width() + dx, start.height() + dy);
    test::settle();
    EXPECT_EQ(chart->geometry(), chart0.adjusted(0, 0, dx, dy));
    EXPECT_EQ(frame2->geometry(), frame20.translated(0, dy).adjusted(0, 0, dx, 0));
    EXPECT_EQ(frame1->geometry(), frame10.translated(0, dy));
    EXPECT_EQ(help->geometry(), help0.adjusted(0, 0, 0, dy));
    for (int i = 1; i <= 4; ++i) {
        EXPECT_TRUE(w->frame(i)->isVisible()) << i;
    }
    w->resize(start);
    test::settle();
    EXPECT_EQ(chart->geometry(), chart0);
    EXPECT_EQ(frame2->geometry(), frame20);
}

// The scale of each model is the model rules' own; here the box reaches the gauge.
TEST_F(MainWindowTest, GaugeFollowsTheModel) {
    open();
    EXPECT_DOUBLE_EQ(w->gauge().maximum(), 50);
    Tool* model = tool("state", "Model");
    const int k04 = model->comboBox()->findData(QStringLiteral("&TK-K04            "));
    ASSERT_GE(k04, 0);
    model->comboBox()->setCurrentIndex(k04);
    emit model->comboBox()->activated(k04);
    EXPECT_DOUBLE_EQ(w->gauge().maximum(), 200);
    EXPECT_EQ(model->text(), QStringLiteral("&TK-K04            "));  // the entry as it stands
    EXPECT_EQ(model->comboBox()->currentText(), QStringLiteral("TK-K04"));
}

TEST_F(MainWindowTest, CrossLineAndCurveSwitches) {
    open();
    Tool* cross = tool("Tools", "CrossLine");
    for (bool expected : {true, false}) {
        w->tabs().setCurrentPage(1);
        cross->action()->trigger();
        EXPECT_EQ(cross->checked(), expected);
        EXPECT_EQ(w->chart().cursorActive(), expected);
        EXPECT_EQ(w->tabs().currentPage(), 0);  // the chart is shown
    }
    w->curveSwitch(2)->setChecked(false);
    EXPECT_FALSE(w->chart().seriesActive(2));
    EXPECT_TRUE(w->chart().seriesActive(1));
    w->curveSwitch(2)->setChecked(true);
    EXPECT_TRUE(w->chart().seriesActive(2));
}

// A caption change lays the strips out again at once: every menu title and
// every tool keeps a place of its own, none goes into an overflow "»".
TEST_F(MainWindowTest, EveryTitleAndToolKeepsItsPlaceInEachLanguage) {
    open();
    QMenuBar* bar = w->toolBar().menuBar();
    QToolBar* tools = w->toolBar().toolBar();
    for (const char* code : {"CHT", "ENG", "DEU", "CHT", "DEU", "ENG"}) {
        SCOPED_TRACE(code);
        click("Lang1", code);  // no event is processed before the checks
        for (Tool* t : w->toolBar().tools(QStringLiteral("Main_Menu"))) {
            const QRect r = bar->actionGeometry(t->action());
            EXPECT_FALSE(r.isEmpty()) << t->name().toStdString();
            EXPECT_TRUE(bar->rect().contains(r)) << t->name().toStdString();
        }
        for (const char* overflow : {"qt_menubar_ext_button", "qt_toolbar_ext_button"}) {
            auto* button = w->findChild<QToolButton*>(QString::fromLatin1(overflow));
            EXPECT_TRUE(button == nullptr || button->isHidden()) << overflow;
        }
        for (Tool* t : w->toolBar().tools(QStringLiteral("Tools"))) {
            QWidget* shown = t->widget();
            ASSERT_NE(shown, nullptr) << t->name().toStdString();
            EXPECT_TRUE(tools->rect().contains(shown->geometry())) << t->name().toStdString();
        }
    }
}

// The window, frame included, stays inside the screen's available area,
// however far it is dragged or maximized; the start-up size is its minimum.
TEST_F(MainWindowTest, WindowAndFrameStayOnTheScreen) {
    open();
    const QRect available = w->screen()->availableGeometry();
    const QSize start = w->size();
    const auto px = [](int twips, double perPixel) {
        return static_cast<int>(std::lround(twips / perPixel));
    };
    ASSERT_EQ(start, QSize(px(kDesignClientWidth, w->twipsPerPixelX()),
                           px(kDesignClientHeight, w->twipsPerPixelY())))
        << "the window starts at its design size on the tests' 1600 x 1000 screen "
           "(QT_QPA_PLATFORM=offscreen:configfile=tests/support/screen-1600x1000.json)";
    EXPECT_EQ(w->minimumSize(), start);
    const QSize frame = w->frameGeometry().size() - w->size();
    EXPECT_EQ(w->sizeLimits().minTrackWidth, start.width() + frame.width());
    EXPECT_EQ(w->sizeLimits().maxTrackHeight, available.height());
    EXPECT_TRUE(available.contains(w->frameGeometry()));

    w->resize(available.size() * 2);
    test::settle();
    // At a fractional scale the frame's margins are whole device pixels,
    // rounded: the frame may come a pixel short.
    const qreal ratio = w->devicePixelRatioF();
    const int slack = std::floor(ratio) == ratio ? 0 : 1;
    EXPECT_NEAR(w->frameGeometry().width(), available.width(), slack);
    EXPECT_NEAR(w->frameGeometry().height(), available.height(), slack);
    w->move(available.topLeft());
    test::settle();
    EXPECT_TRUE(available.contains(w->frameGeometry()));
    w->resize(10, 10);
    EXPECT_EQ(w->size(), start);
}

// A readout too wide for the gauge beside it hides gauge and model box and is
// centred; going back to their own place when the gauge returns, none of the
// large readouts is drawn over it.
TEST_F(MainWindowTest, WideReadoutsHideTheGaugeAndLeaveItClearWhenItReturns) {
    openConnected();
    QWidget* gaugeFrame = w->frame(5);
    QWidget* modelBox = tool("state", "Model")->widget();
    const auto accept = [&](std::int64_t capacity) {
        advance(1000);
        Reading s = chargeReading();
        s.elapsedMs = ticks.tickCount() - w->recording().connectTicks();
        s.capacity = Decimal::fromInt(capacity);
        const int before = rows();
        w->recording().AcceptSample(s);
        ASSERT_EQ(rows(), before + 1);
    };
    const auto expectClear = [&](const char* when) {
        ASSERT_TRUE(gaugeFrame->isVisible()) << when;
        EXPECT_TRUE(modelBox->isVisible()) << when;
        EXPECT_EQ(gaugeFrame->geometry().right(), w->frame(2)->width() - 1) << "flush right";
        for (int i = 0; i < 3; ++i) {
            EXPECT_FALSE(w->largeReadout(i)->geometry().intersects(gaugeFrame->geometry()))
                << when << ": readout " << i;
        }
    };
    accept(1234);
    expectClear("before");
    accept(12345);
    ASSERT_FALSE(gaugeFrame->isVisible()) << "five digits of capacity leave no room";
    EXPECT_FALSE(modelBox->isVisible());
    const QLabel* capacity = w->largeReadout(2);
    EXPECT_EQ(capacity->x(), std::lround((w->frame(2)->width() - capacity->width()) / 2.0));
    accept(2345);
    expectClear("after");
}

// Tooltips look like every other tooltip: the labels' own colours and bold
// type stay on the labels, whose texts stand out on their dark frames.
TEST_F(MainWindowTest, TooltipsHaveTheNormalLook) {
    open();
    for (QLabel* label : w->findChildren<QLabel*>()) {
        for (int frame = 1; frame <= 5; ++frame) {
            if (w->frame(frame)->isAncestorOf(label) && !label->text().isEmpty()) {
                EXPECT_GT(label->palette().color(label->foregroundRole()).lightness(), 110)
                    << label->objectName().toStdString() << " in Frame" << frame;
            }
        }
    }
    for (const ControlText& c : controlTooltips()) {
        auto* widget = w->findChild<QWidget*>(QString::fromLatin1(c.control));
        ASSERT_NE(widget, nullptr) << c.control;
        const QPoint at = widget->rect().center();
        QHelpEvent help(QEvent::ToolTip, at, widget->mapToGlobal(at));
        QApplication::sendEvent(widget, &help);
        QLabel* tip = nullptr;
        for (QWidget* top : QApplication::topLevelWidgets()) {
            if (top->inherits("QTipLabel") && top->isVisible()) {
                tip = qobject_cast<QLabel*>(top);
            }
        }
        ASSERT_NE(tip, nullptr) << c.control;
        EXPECT_EQ(tip->text(), widget->toolTip()) << c.control;
        for (QPalette::ColorRole role : {QPalette::ToolTipText, QPalette::ToolTipBase}) {
            EXPECT_EQ(tip->palette().color(role), QToolTip::palette().color(role))
                << c.control << " role " << role;
        }
        EXPECT_EQ(tip->font(), QToolTip::font()) << c.control;
        QToolTip::hideText();
    }
}

// Every readout title is shown whole beside its value, in every language
// (English "Capacity(mAh)" once lay partly under the value beside it): no
// two labels or switches of a readout frame overlap, each lies inside its
// frame, and each has the width its text needs.
TEST_F(MainWindowTest, ReadoutTitlesAreShownWhole) {
    open();
    // Values as wide as a charge makes them: the voltage, current, capacity
    // and temperature beside their switches, the details' voltage and power.
    for (const auto& [index, text] : std::vector<std::pair<int, const char*>>{{15, "25.20"},
                                                                              {14, "10.00"},
                                                                              {2, "10000"},
                                                                              {1, "45"},
                                                                              {20, "25.20"},
                                                                              {17, "252.000"}}) {
        w->readout(index)->setText(QString::fromLatin1(text));
    }
    for (const char* language : {"ENG", "CHT", "DEU"}) {
        click("Lang1", language);
        test::settle();
        int checked = 0;
        for (int number : {1, 4}) {  // the curve switches, the details
            QWidget* frame = w->frame(number);
            std::vector<QWidget*> parts;
            for (QWidget* part : frame->findChildren<QWidget*>()) {
                if (part->isVisible() && (qobject_cast<QLabel*>(part) != nullptr ||
                                          qobject_cast<QCheckBox*>(part) != nullptr)) {
                    parts.push_back(part);
                }
            }
            for (std::size_t a = 0; a < parts.size(); ++a) {
                const QRect inFrame(parts[a]->mapTo(frame, QPoint(0, 0)), parts[a]->size());
                EXPECT_TRUE(frame->rect().contains(inFrame))
                    << language << " " << parts[a]->objectName().toStdString();
                if (auto* label = qobject_cast<QLabel*>(parts[a]); label != nullptr) {
                    ++checked;
                    EXPECT_GE(label->contentsRect().width(),
                              label->fontMetrics().horizontalAdvance(label->text()))
                        << language << " " << label->text().toStdString();
                }
                for (std::size_t b = a + 1; b < parts.size(); ++b) {
                    if (parts[a]->parentWidget() == parts[b]->parentWidget()) {
                        EXPECT_FALSE(parts[a]->geometry().intersects(parts[b]->geometry()))
                            << language << " " << parts[a]->objectName().toStdString() << " "
                            << parts[b]->objectName().toStdString();
                    }
                }
            }
        }
        EXPECT_GE(checked, 20) << language;
    }
}

// The gauge lies whole inside the window, at the design size and wider, and
// its dial is drawn whole inside the gauge, as far from the left edge as from
// the right.
TEST_F(MainWindowTest, GaugeDialIsDrawnWhole) {
    open();
    PowerGauge& gauge = w->powerGauge();
    const QSize start = w->size();
    for (int wider : {0, 150}) {
        w->resize(start.width() + wider, start.height());
        test::settle();
        const QRect inWindow(gauge.mapTo(w.get(), QPoint(0, 0)), gauge.size());
        EXPECT_TRUE(w->rect().contains(inWindow)) << wider;
        EXPECT_TRUE(w->frame(2)->geometry().contains(inWindow)) << wider;
        // The dial fills its frame, as tall as the readouts' frame (it was
        // once a 40 px dial at the top of a large frame).
        QWidget* frame = w->frame(5);
        EXPECT_EQ(frame->height(), w->frame(2)->height()) << wider;
        EXPECT_GE(std::min(gauge.width(), gauge.height()),
                  std::min(frame->width(), frame->height()) - 12)
            << wider;
    }

    QImage dial(gauge.size(), QImage::Format_ARGB32_Premultiplied);
    dial.fill(Qt::transparent);
    gauge.render(&dial, QPoint(), QRegion(), QWidget::DrawChildren);
    QRect drawn;
    for (int y = 0; y < dial.height(); ++y) {
        for (int x = 0; x < dial.width(); ++x) {
            if (qAlpha(dial.pixel(x, y)) > 0) {
                drawn |= QRect(x, y, 1, 1);
            }
        }
    }
    ASSERT_FALSE(drawn.isEmpty());
    EXPECT_LE(std::abs(drawn.left() - (dial.width() - 1 - drawn.right())), 1) << drawn.left();
    EXPECT_LE(std::abs(drawn.top() - (dial.height() - 1 - drawn.bottom())), 1) << drawn.top();
}

// --- the about box ------------------------------------------------------------------------

TEST_F(MainWindowTest, AboutBoxShowsTheTextOfTheInterfaceLanguage) {
    const QStringList chinese = aboutLines(QStringLiteral("CHT"));
    const QStringList english = aboutLines(QStringLiteral("ENG"));
    ASSERT_NE(chinese, english);
    EXPECT_EQ(aboutLines(QStringLiteral("cht")), english);  // only "CHT" itself is Chinese

    open(std::nullopt);
    int opened = 0;
    QString caption;
    QSize pictureSize;
    QStringList lines;
    onDialog = [&](QDialog& dialog) {
        ++opened;
        caption = dialog.windowTitle();
        auto* image = dialog.findChild<QLabel*>(QStringLiteral("Image1"));
        ASSERT_NE(image, nullptr);
        pictureSize = image->pixmap().size();
        auto* about = dynamic_cast<AboutBox*>(&dialog);
        ASSERT_NE(about, nullptr);
        lines = about->text().split(u'\n');  // the box shows each line on its own
    };
    click("Help1", "About");  // no language chosen yet: Chinese
    EXPECT_EQ(lines, chinese);
    click("Lang1", "ENG");
    click("Help1", "About");
    EXPECT_EQ(lines, english);
    click("Lang1", "DEU");  // any other language: the English lines as it translates them
    click("Help1", "About");
    ASSERT_EQ(lines.size(), english.size());
    EXPECT_EQ(lines[0], QStringLiteral("Programmname: Cellwatch"));
    EXPECT_TRUE(lines.back().contains(QStringLiteral("Ladegeräte"))) << lines.back().toStdString();
    EXPECT_EQ(caption, QStringLiteral("About"));
    EXPECT_EQ(pictureSize, QSize(254, 145));
    EXPECT_EQ(opened, 3);
}

TEST_F(MainWindowTest, AboutBoxClosesOnAnyKeyAndOnAClick) {
    open();
    const struct {
        const char* target;  // "" for the box itself
        QEvent::Type event;
        int key;
    } cases[] = {
        {"", QEvent::KeyPress, Qt::Key_A},          {"", QEvent::KeyPress, Qt::Key_Escape},
        {"Text1", QEvent::KeyPress, Qt::Key_Space}, {"", QEvent::MouseButtonPress, 0},
        {"Image1", QEvent::MouseButtonPress, 0},    {"Text1", QEvent::MouseButtonPress, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << "target '" << c.target << "' event " << c.event);
        bool closed = false;
        onDialog = [&](QDialog& dialog) {
            dialog.show();
            QWidget* target = &dialog;
            if (*c.target) {
                target = dialog.findChild<QWidget*>(QString::fromLatin1(c.target));
                ASSERT_NE(target, nullptr);
                if (auto* text = qobject_cast<QPlainTextEdit*>(target)) {
                    target = c.event == QEvent::KeyPress ? text : text->viewport();
                }
            }
            if (c.event == QEvent::KeyPress) {
                QKeyEvent key(QEvent::KeyPress, c.key, Qt::NoModifier);
                QApplication::sendEvent(target, &key);
            } else {
                const QPointF at(target->width() / 2.0, target->height() / 2.0);
                QMouseEvent press(QEvent::MouseButtonPress, at, target->mapToGlobal(at),
                                  Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
                QApplication::sendEvent(target, &press);
            }
            closed = !dialog.isVisible() && dialog.result() == QDialog::Accepted;
        };
        click("Help1", "About");
        EXPECT_TRUE(closed);
    }
}

// --- the help page --------------------------------------------------------------------------

TEST_F(MainWindowTest, HelpPageIsAskedForOnceAndShownAgainOnALanguageChange) {
    for (bool isOnline : {false, true}) {
        SCOPED_TRACE(isOnline ? "online" : "offline");
        online = isOnline;
        onlineAsks = 0;
        open(std::nullopt);
        const QString address = w->helpPageAddress();
        if (isOnline) {
            EXPECT_EQ(address, QString::fromLatin1(kOnlineHelpAddress));
        } else {
            EXPECT_TRUE(address.startsWith(QLatin1String("file:///"))) << address.toStdString();
            EXPECT_EQ(QUrl(address).toLocalFile(),
                      QDir(QCoreApplication::applicationDirPath()).filePath("ad.htm"));
        }
        EXPECT_FALSE(w->helpPane().toPlainText().isEmpty());

        w->helpPane().clear();
        click("Lang1", "ENG");
        EXPECT_FALSE(w->helpPane().toPlainText().isEmpty()) << "not shown again";
        click("Lang1", "CHT");
        EXPECT_EQ(w->helpPageAddress(), address);
        EXPECT_EQ(onlineAsks, 1);
    }
}

}  // namespace
}  // namespace cellwatch::windowtest
