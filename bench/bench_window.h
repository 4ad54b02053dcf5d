// A main window for benchmarks: offscreen-ready, English, clocks set by
// hand, no ports, the local help page, and its settings and journals in
// folders removed when it goes. Failures are printed, not shown.
#pragma once

#include <QApplication>
#include <QTemporaryDir>
#include <cstdio>
#include <memory>

#include "app/main_window.h"
#include "protocol/tkrx_driver.h"

namespace cellwatch::bench {

// Reading k of a four-cell lithium pack charging at 2 A; values move as a
// real run's do.
inline Reading sampleAt(std::size_t k) {
    Reading s;
    s.charger = std::string(kFirstDriverId);
    s.cellCount = kCellCount;
    s.chemistryText = std::string(kTypeLithium);
    s.chemistry = Chemistry::Lithium;
    s.stateText = std::string(kStateCharge);
    s.state = ChargeState::Charging;
    s.extTemperature = Decimal::fromInt(25 + static_cast<std::int64_t>(k / 5000 % 10));
    s.intTemperature = Decimal::fromInt(35);
    s.inputVoltage = Decimal::fromHundredths(1210);
    const auto cell = Decimal::fromHundredths(370 + static_cast<std::int64_t>(k % 50));
    s.voltage = cell * Decimal::fromInt(4);
    s.current = Decimal::fromHundredths(200 - static_cast<std::int64_t>(k % 7));
    s.capacity = Decimal::fromInt(static_cast<std::int64_t>(k / 2));
    s.power = (s.voltage * s.current).abs().rounded(2);
    for (std::size_t c = 0; c < 4; ++c) {
        s.cells[c] = cell;
    }
    return s;
}

struct BenchWindow {
    QTemporaryDir dir;
    FileSettingsStore store{dir.filePath(QStringLiteral("settings.ini"))};
    Settings settings{store};
    ManualTickClock ticks{1'000'000};
    ManualWallClock wall{QDateTime(QDate(2024, 1, 15), QTime(9, 0))};
    FixedPortLister ports;
    std::unique_ptr<MainWindow> window;

    // `simulated`: the window runs on the hand-set clocks; else on the system's.
    explicit BenchWindow(bool simulated = true) {
        settings.setLanguageCode(kLanguageEnglish);
        MainWindow::Hooks hooks;
        hooks.showFailure = [](QWidget*, const QString& text) {
            std::fprintf(stderr, "failure: %s\n", text.toLocal8Bit().constData());
        };
        if (simulated) {
            hooks.ticks = &ticks;
            hooks.wall = &wall;
        }
        hooks.ports = &ports;
        hooks.isOnline = [] { return false; };
        hooks.journalFolder = dir.filePath(QStringLiteral("journals"));
        window = std::make_unique<MainWindow>(settings, hooks);
        window->show();
        QApplication::processEvents();
    }

    // What Connect does for the recording, without a port.
    Recording& beginRecording() {
        window->rescanTimer().stop();
        Recording& recording = window->recording();
        recording.resetAxes();
        recording.begin();
        QApplication::processEvents();
        return recording;
    }
};

}  // namespace cellwatch::bench
