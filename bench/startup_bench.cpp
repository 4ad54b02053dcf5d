// Cold start of the window: a new process each run, from its launch to the
// end of the window's first paint, with the help page and the fonts of the
// start-up language (Chinese, as a first start has it) loaded. Offscreen.
//
//   startup_bench [RUNS]     runs the child RUNS times (default 9) after one
//                            warm-up run, prints the median of every phase
//
// The child (startup_bench --child) starts as the program does and prints
// the monotonic clock at the end of each phase; the parent takes the clock
// just before it spawns the child, so the loading of the program and its
// libraries counts too.
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QFontDatabase>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <map>
#include <string>
#include <vector>

#include "app/help_page.h"
#include "app/main_window.h"
#include "app/settings.h"

extern char** environ;

namespace {

using namespace cellwatch;

double nowMs() {
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

void mark(const char* phase) {
    std::printf("%s %.3f\n", phase, nowMs());
}

// The phases in the order the child reaches them, each with what it holds.
constexpr std::array<std::pair<const char*, const char*>, 6> kPhases{{
    {"load", "exec, loading Qt and the program"},
    {"application", "QApplication, the offscreen platform"},
    {"fonts", "the font database"},
    {"network", "the online check's backend"},
    {"window", "the window: chart, table, gauge, help page"},
    {"paint", "show to the end of the first paint"},
}};

class FirstPaint : public QObject {
public:
    explicit FirstPaint(QWidget* window) : window_(window) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (!seen_ && event->type() == QEvent::Paint && watched->isWidgetType() &&
            static_cast<QWidget*>(watched)->window() == window_) {
            seen_ = true;
            // The rest of this paint pass runs before the next event.
            QTimer::singleShot(0, qApp, [] {
                mark("paint");
                QApplication::quit();
            });
        }
        return false;
    }

private:
    QWidget* window_;
    bool seen_ = false;
};

int child(int argc, char** argv) {
    mark("load");
    QApplication app(argc, argv);
    mark("application");
    QFontDatabase::families();
    mark("fonts");
    const bool online = IsOnline();
    mark("network");

    QTemporaryDir dir;  // no stored language: the Chinese start
    FileSettingsStore store(dir.filePath(QStringLiteral("settings.ini")));
    Settings settings(store);
    MainWindow::Hooks hooks;
    hooks.isOnline = [online] { return online; };
    hooks.journalFolder = dir.filePath(QStringLiteral("journals"));
    MainWindow window(settings, hooks);
    mark("window");
    FirstPaint watch(&window);
    app.installEventFilter(&watch);
    window.show();
    QTimer::singleShot(10000, &app, [] {
        std::fprintf(stderr, "startup_bench: no paint within 10 s\n");
        QApplication::exit(1);
    });
    return QApplication::exec();
}

// One run: the phases' durations in ms, or empty when the child failed.
std::map<std::string, double> runOnce(const char* self) {
    int out[2];
    if (pipe(out) != 0) {
        return {};
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    std::array<char*, 3> args{const_cast<char*>(self), const_cast<char*>("--child"), nullptr};
    pid_t pid = 0;
    const double start = nowMs();
    const int spawned = posix_spawn(&pid, self, &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    std::string text;
    std::array<char, 4096> buffer{};
    ssize_t n = 0;
    while (spawned == 0 && (n = read(out[0], buffer.data(), buffer.size())) > 0) {
        text.append(buffer.data(), static_cast<std::size_t>(n));
    }
    close(out[0]);
    int status = 0;
    if (spawned != 0 || waitpid(pid, &status, 0) != pid || !WIFEXITED(status) ||
        WEXITSTATUS(status) != 0) {
        return {};
    }
    std::map<std::string, double> at;
    char name[32];
    double ms = 0;
    for (const char* p = text.c_str(); std::sscanf(p, "%31s %lf", name, &ms) == 2;) {
        at[name] = ms;
        p = std::strchr(p, '\n');
        if (p == nullptr) {
            break;
        }
        ++p;
    }
    std::map<std::string, double> took;
    double before = start;
    for (const auto& [phase, what] : kPhases) {
        if (!at.contains(phase)) {
            return {};
        }
        took[phase] = at[phase] - before;
        before = at[phase];
    }
    took["total"] = before - start;
    return took;
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    const std::size_t m = v.size() / 2;
    return v.size() % 2 ? v[m] : (v[m - 1] + v[m]) / 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 1 && std::string(argv[1]) == "--child") {
        return child(argc, argv);
    }
    const int runs = argc > 1 ? std::atoi(argv[1]) : 9;
    if (runs < 1 || runs > 1000) {
        std::fprintf(stderr, "usage: startup_bench [RUNS]   (1 to 1000 runs)\n");
        return 2;
    }
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    std::map<std::string, std::vector<double>> took;
    for (int i = 0; i <= runs; ++i) {  // run 0 warms the file cache and is not counted
        const std::map<std::string, double> one = runOnce("/proc/self/exe");
        if (one.empty()) {
            std::fprintf(stderr, "startup_bench: the window did not start and paint\n");
            return 1;
        }
        for (const auto& [phase, ms] : one) {
            if (i > 0) {
                took[phase].push_back(ms);
            }
        }
    }
    std::printf("startup runs %d\n", runs);
    for (const auto& [phase, what] : kPhases) {
        std::printf("startup %s %.1f ms: %s\n", phase, median(took[phase]), what);
    }
    const std::vector<double>& total = took["total"];
    std::printf("startup total %.1f %.1f %.1f ms (median, min, max)\n", median(total),
                *std::min_element(total.begin(), total.end()),
                *std::max_element(total.begin(), total.end()));
    return 0;
}
