// A HID or Bluetooth LE charger that is not there (no device, no adapter
// on this machine), opened as the front ends open a port: a plain message,
// the session left disconnected, and nothing left running that spins.
#include <gtest/gtest.h>

#include <time.h>

#include <QAbstractEventDispatcher>
#include <QEventLoop>
#include <QTimer>
#include <stdexcept>

#include "links/ble_link.h"
#include "protocol/driver_registry.h"
#include "readout/row_store.h"
#include "session/link_source.h"
#include "session/live_session.h"

namespace cellwatch::session {
namespace {

double cpuMs() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}
double steadyMs() {
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

TEST(AbsentLink, IsSaidPlainlyAndLeavesNothingSpinning) {
    const struct {
        const char* port;
        const char* charger;
        const char* said;
    } cases[] = {
        {"hid:0483:5751", "skyrc", "no USB device 0483:5751"},
        {"ble:C8:47:8C:00:11:22", "isdt", "no Bluetooth adapter"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.port);
        if (std::string_view(c.port).starts_with("ble") && haveBluetoothAdapter()) {
            continue;  // this machine has one: the case does not hold here
        }
        ManualTickClock ticks{1000};
        ManualWallClock wall{QDateTime(QDate(2026, 12, 5), QTime(14, 30, 12))};
        RowStore table;
        LiveSession session(SessionParts{table, ticks, wall});
        ASSERT_TRUE(session.setCharger(c.charger));
        std::string said;
        try {
            session.open(makePortSource(session.sourceEvents(), QString::fromUtf8(c.port),
                                        *findDriver(c.charger)));
        } catch (const std::runtime_error& e) {
            said = e.what();
        }
        EXPECT_NE(said.find(c.said), std::string::npos) << said;
        EXPECT_EQ(session.state(), LinkState::Disconnected);

        // Idle from here: over 25 ticks of a 20 ms timer (the event waited
        // for), the event loop wakes about once a tick and the process
        // takes little of the time. A link left polling in a loop wakes it
        // thousands of times and takes all of a processor.
        int wakes = 0;
        const QMetaObject::Connection counting =
            QObject::connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::awake,
                             [&] { ++wakes; });
        int ticked = 0;
        QEventLoop loop;
        QTimer timer;
        QObject::connect(&timer, &QTimer::timeout, [&] {
            if (++ticked == 25) {
                loop.quit();
            }
        });
        QTimer guard;  // a failure's guard only
        guard.setSingleShot(true);
        QObject::connect(&guard, &QTimer::timeout, &loop, &QEventLoop::quit);
        timer.start(20);
        guard.start(60'000);
        const double cpu0 = cpuMs();
        const double wall0 = steadyMs();
        loop.exec();
        ASSERT_EQ(ticked, 25);
        const double cpu = cpuMs() - cpu0;
        const double elapsed = steadyMs() - wall0;
        QObject::disconnect(counting);
        EXPECT_LT(cpu, elapsed / 2) << cpu << " ms of CPU in " << elapsed << " ms";
        EXPECT_LT(wakes, 25 * 20) << wakes << " wake-ups";
    }
}

}  // namespace
}  // namespace cellwatch::session
