// The window on its own: languages and captions, the commands that need no
// charger, the layout as the window is resized, the charger model's gauge.
#include "app/main_window.h"

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QTextBrowser>
#include <cmath>

#include "app/captions.h"
#include "app/power_gauge.h"
#include "app/tab_control.h"
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

TEST_F(MainWindowTest, EveryCaptionTableEntryIsWrittenInEachLanguage) {
    open();
    for (const char* code : {"ENG", "CHT"}) {
        click("Lang1", code);
        const bool zh = QString::fromLatin1(code) == QLatin1String("CHT");
        for (const ToolCaption& c : toolCaptions()) {
            Tool* t = tool(c.band, c.tool);
            const QString want = QString::fromUtf8(zh ? c.chinese : c.english);
            EXPECT_EQ(c.property == ToolProperty::Caption ? t->caption() : t->tooltip(), want)
                << c.band << "." << c.tool;
        }
        for (const ControlText& c : readoutTitles()) {
            EXPECT_EQ(label(c.control), QString::fromUtf8(zh ? c.chinese : c.english));
        }
        for (const ControlText& c : controlTooltips()) {
            auto* widget = w->findChild<QWidget*>(QString::fromLatin1(c.control));
            ASSERT_NE(widget, nullptr) << c.control;
            EXPECT_EQ(widget->toolTip(), QString::fromUtf8(zh ? c.chinese : c.english));
        }
    }
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

TEST_F(MainWindowTest, SizeLimitsAndProportionalLayout) {
    open();
    const QSize start = w->size();
    EXPECT_EQ(w->minimumSize(), start);
    EXPECT_EQ(w->sizeLimits().minTrackWidth, start.width());
    EXPECT_GE(w->maximumWidth(), start.width());          // never below the start-up size
    w->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);  // the test screen may be small

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
    QApplication::processEvents();
    EXPECT_EQ(chart->geometry(), chart0.adjusted(0, 0, dx, dy));
    EXPECT_EQ(frame2->geometry(), frame20.translated(0, dy).adjusted(0, 0, dx, 0));
    EXPECT_EQ(frame1->geometry(), frame10.translated(0, dy));
    EXPECT_EQ(help->geometry(), help0.adjusted(0, 0, 0, dy));
    for (int i = 1; i <= 4; ++i) {
        EXPECT_TRUE(w->frame(i)->isVisible()) << i;
    }
    w->resize(start);
    QApplication::processEvents();
    EXPECT_EQ(chart->geometry(), chart0);
    EXPECT_EQ(frame2->geometry(), frame20);
}

TEST_F(MainWindowTest, GaugeFollowsTheModelAndGivesWayToWideReadouts) {
    open();
    EXPECT_DOUBLE_EQ(w->gauge().maximum(), 50);
    Tool* model = tool("state", "Model");
    const int k04 = model->comboBox()->findData(QStringLiteral("&TK-K04            "));
    ASSERT_GE(k04, 0);
    model->comboBox()->setCurrentIndex(k04);
    emit model->comboBox()->activated(k04);
    EXPECT_DOUBLE_EQ(w->gauge().maximum(), 200);
    EXPECT_DOUBLE_EQ(w->gauge().step(), 20);
    EXPECT_DOUBLE_EQ(w->gauge().upperMark(), 170);

    QWidget* gaugeFrame = w->frame(5);
    QWidget* modelBox = model->widget();
    ASSERT_TRUE(gaugeFrame->isVisible());
    EXPECT_EQ(gaugeFrame->geometry().right(), w->frame(2)->width() - 1);  // flush right
    QLabel* capacity = w->largeReadout(2);
    capacity->setText(QStringLiteral("123456789mAh"));
    capacity->adjustSize();
    w->FitReadouts();
    EXPECT_FALSE(gaugeFrame->isVisible());
    EXPECT_FALSE(modelBox->isVisible());
    EXPECT_EQ(capacity->x(), std::lround((w->frame(2)->width() - capacity->width()) / 2.0));
    capacity->setText(QStringLiteral("0mAh"));
    capacity->adjustSize();
    w->FitReadouts();
    EXPECT_TRUE(gaugeFrame->isVisible());
    EXPECT_TRUE(modelBox->isVisible());
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

}  // namespace
}  // namespace cellwatch::windowtest
