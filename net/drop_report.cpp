#include "net/drop_report.h"

namespace cellwatch::net {

DropReport::DropReport(Text text, QObject* parent) : QObject(parent), text_(std::move(text)) {
    timer_.setInterval(kDefaultIntervalMs);
    timer_.setSingleShot(true);
    connect(&timer_, &QTimer::timeout, this, [this] {
        if (total_ > reported_) {
            flush();
            timer_.start();
        }
    });
}

void DropReport::count(std::uint64_t n) {
    total_ += n;
    if (!timer_.isActive()) {
        flush();
        timer_.start();
    }
}

void DropReport::flush() {
    if (total_ > reported_) {
        const std::uint64_t since = total_ - reported_;
        reported_ = total_;
        emit report(text_(since, total_));
    }
}

}  // namespace cellwatch::net
