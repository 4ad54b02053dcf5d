// Messages dropped for one reason, said in one line rather than one line
// each: at the first, then at most once an interval with how many came
// since, and on flush().
#pragma once

#include <QObject>
#include <QString>
#include <QTimer>
#include <cstdint>
#include <functional>

namespace cellwatch::net {

class DropReport final : public QObject {
    Q_OBJECT
public:
    // The line for `since` dropped since the last line, `total` in all.
    using Text = std::function<QString(std::uint64_t since, std::uint64_t total)>;

    static constexpr int kDefaultIntervalMs = 10000;

    explicit DropReport(Text text, QObject* parent = nullptr);

    // `n` more dropped (at once: said in one line).
    void count(std::uint64_t n = 1);
    std::uint64_t total() const { return total_; }
    void setInterval(int ms) { timer_.setInterval(ms); }
    // Says now what was dropped since the last line, if anything.
    void flush();

signals:
    void report(const QString& line);

private:
    Text text_;
    QTimer timer_;
    std::uint64_t total_ = 0;
    std::uint64_t reported_ = 0;
};

}  // namespace cellwatch::net
