// What cellwatch-log costs while it polls an emulated iCharger 4010 DUO
// over a pseudo-terminal at the driver's rate (both channels every 500 ms,
// five reads a poll): the log process's user + system CPU time over a
// stretch of wall time, after its start-up.
//
//   modbus_bench [SECONDS]
// prints "modbus cpu PERCENT USER_S SYSTEM_S WALL_S ROWS".
#include <unistd.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

namespace {

const QString kTools = QStringLiteral(CELLWATCH_TOOLS_DIR);

// User and system CPU seconds of a process, from /proc/PID/stat.
bool cpuSeconds(qint64 pid, double& user, double& system) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    if (!std::getline(in, line)) {
        return false;
    }
    // The fields after the command's closing parenthesis begin with the
    // 3rd (the state); utime and stime are the 14th and 15th.
    const std::size_t at = line.rfind(')');
    if (at == std::string::npos) {
        return false;
    }
    std::istringstream rest(line.substr(at + 1));
    std::string skip;
    for (int field = 3; field < 14; ++field) {
        rest >> skip;
    }
    unsigned long long ut = 0;
    unsigned long long st = 0;
    if (!(rest >> ut >> st)) {
        return false;
    }
    const double tick = static_cast<double>(::sysconf(_SC_CLK_TCK));
    user = static_cast<double>(ut) / tick;
    system = static_cast<double>(st) / tick;
    return true;
}

int countLines(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        return 0;
    }
    return static_cast<int>(f.readAll().count('\n'));
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int seconds = argc > 1 ? std::atoi(argv[1]) : 20;
    QTemporaryDir dir;

    QProcess emulator;
    emulator.start(kTools + QStringLiteral("/cellwatch-emulator"),
                   {QStringLiteral("--charger"), QStringLiteral("icharger"),
                    QStringLiteral("--model"), QStringLiteral("4010 DUO")});
    if (!emulator.waitForReadyRead(10'000)) {
        std::fprintf(stderr, "modbus_bench: the emulator did not start\n");
        return 1;
    }
    const QString pty = QString::fromUtf8(emulator.readLine()).trimmed();

    const QString rows = dir.filePath(QStringLiteral("rows.tsv"));
    QProcess log;
    log.setStandardOutputFile(rows);
    log.start(kTools + QStringLiteral("/cellwatch-log"),
              {QStringLiteral("--port"), pty, QStringLiteral("--charger"),
               QStringLiteral("icharger"), QStringLiteral("--out"), QStringLiteral("-")});
    if (!log.waitForStarted()) {
        std::fprintf(stderr, "modbus_bench: cellwatch-log did not start\n");
        return 1;
    }
    // Past its start-up: rows are coming.
    QElapsedTimer waited;
    waited.start();
    while (countLines(rows) < 5 && waited.elapsed() < 20'000) {
        QThread::msleep(50);
    }
    double user0 = 0;
    double system0 = 0;
    double user1 = 0;
    double system1 = 0;
    const int rows0 = countLines(rows);
    QElapsedTimer wall;
    wall.start();
    if (!cpuSeconds(log.processId(), user0, system0)) {
        std::fprintf(stderr, "modbus_bench: cellwatch-log is not running\n");
        return 1;
    }
    QThread::sleep(static_cast<unsigned long>(seconds));
    const double wallS = static_cast<double>(wall.nsecsElapsed()) / 1e9;
    if (!cpuSeconds(log.processId(), user1, system1)) {
        std::fprintf(stderr, "modbus_bench: cellwatch-log ended early\n");
        return 1;
    }
    const int rows1 = countLines(rows);
    log.terminate();
    log.waitForFinished();
    emulator.terminate();
    emulator.waitForFinished();

    const double user = user1 - user0;
    const double system = system1 - system0;
    std::printf("modbus cpu %.2f %.2f %.2f %.1f %d\n", 100.0 * (user + system) / wallS, user,
                system, wallS, rows1 - rows0);
    return 0;
}
