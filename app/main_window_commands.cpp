// The tool bar's commands and the texts of both languages.
#include <QCheckBox>
#include <QLabel>
#include <QTextBrowser>
#include <exception>

#include "app/captions.h"
#include "app/main_window.h"
#include "app/tab_control.h"
#include "app/toolbar.h"
#include "chart/chart_view.h"

namespace cellwatch {

void MainWindow::runCommand(const std::function<void()>& command) {
    try {
        command();
    } catch (const std::exception& failure) {
        hooks_.showFailure(this, QString::fromUtf8(failure.what()));
    }
}

void MainWindow::OnToolClick(Tool* clicked) {
    runCommand([this, clicked] { dispatchTool(clicked); });
}

void MainWindow::dispatchTool(Tool* t) {
    const QString& name = t->name();
    if (name == QLatin1String("Print")) {
        printChart();
    } else if (name == QLatin1String("CrossLine")) {
        crossLine(t);
    } else if (name == QLatin1String("Link")) {
        connectPort(t);
    } else if (name == QLatin1String("Off")) {
        disconnectPort(t);
    } else if (name == QLatin1String("Export")) {
        exportTable();
    } else if (name == QLatin1String("CHT") || name == QLatin1String("ENG")) {
        chooseLanguage(t);
    } else if (name == QLatin1String("Refresh")) {
        chart_->repaint();
        ScanPorts();
    } else if (name == QLatin1String("Exit")) {
        close();
    } else if (name == QLatin1String("Copy")) {
        copyChart();
    } else if (name == QLatin1String("Save")) {
        saveChart();
    } else if (name == QLatin1String("About")) {
        showAbout();
    } else if (name == QLatin1String("com")) {
        ScanPorts();
    }
}

void MainWindow::crossLine(Tool* t) {
    frame_->setCurrentPage(0);
    if (t->checked()) {
        t->setChecked(false);
        chart_->setCursorActive(false);
    } else {
        t->setChecked(true);
        chart_->setCursorActive(true);
    }
}

void MainWindow::chooseLanguage(Tool* t) {
    writeLanguageCode(settings_, t->name());
    SetCaptions();
    tool(QStringLiteral("Tools"), QStringLiteral("Language"))->setWidth(800);
}

void MainWindow::SetCaptions() {
    const bool chinese = isChinese(readLanguageCode(settings_));
    const auto pick = [chinese](const char* zh, const char* en) {
        return QString::fromUtf8(chinese ? zh : en);
    };

    showHelpAddress();  // the help page is shown again

    for (const ToolCaption& c : toolCaptions()) {
        Tool* t = tool(QString::fromLatin1(c.band), QString::fromLatin1(c.tool));
        const QString text = pick(c.chinese, c.english);
        if (c.property == ToolProperty::Caption) {
            t->setCaption(text);
        } else {
            t->setTooltip(text);
        }
        if (t->name() == QLatin1String("Link_state")) {
            PostStatusMessage(kLanguageSetMessage.pick(chinese));
        }
    }
    for (const ControlText& c : controlTooltips()) {
        if (auto* w = findChild<QWidget*>(QString::fromLatin1(c.control))) {
            w->setToolTip(pick(c.chinese, c.english));
        }
    }
    setWindowTitle(kWindowTitle.pick(chinese) + QString::fromLatin1(kVersionText));
    for (const ControlText& c : readoutTitles()) {
        if (auto* label = findChild<QLabel*>(QString::fromLatin1(c.control))) {
            label->setText(pick(c.chinese, c.english));
        }
    }
    frame_->setPageCaption(0, kTabGraph.pick(chinese));
    frame_->setPageCaption(1, kTabData.pick(chinese));
    frame_->setCurrentPage(0);
    chart_->setAxisTitle(ChartAxis::Left, kAxisTitleVoltage.pick(chinese));
    chart_->setAxisTitle(ChartAxis::Right, kAxisTitleCurrent.pick(chinese));
    chart_->setAxisTitle(ChartAxis::Capacity, kAxisTitleCapacity.pick(chinese));
    chart_->setAxisTitle(ChartAxis::Temperature, kAxisTitleTemperature.pick(chinese));
}

// Commands whose features are built separately; each does its whole job there.
void MainWindow::connectPort(Tool*) {}
void MainWindow::disconnectPort(Tool*) {}
void MainWindow::exportTable() {}
void MainWindow::printChart() {}
void MainWindow::copyChart() {}
void MainWindow::saveChart() {}
void MainWindow::showAbout() {}

}  // namespace cellwatch
