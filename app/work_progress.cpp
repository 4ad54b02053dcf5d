#include "app/work_progress.h"

#include <QCoreApplication>

namespace cellwatch {
namespace {

constexpr int kShowAfterMs = 500;

}  // namespace

WorkProgress::WorkProgress(QWidget* owner, const QString& label)
    : dialog_(label, QCoreApplication::translate("WorkProgress", "Cancel"), 0, 100, owner) {
    dialog_.setWindowModality(Qt::WindowModal);
    dialog_.setMinimumDuration(kShowAfterMs);
}

bool WorkProgress::step(std::size_t done, std::size_t total) {
    dialog_.setValue(total == 0 ? 100 : static_cast<int>(done * 100 / total));
    QCoreApplication::processEvents();
    cancelled_ = cancelled_ || dialog_.wasCanceled();
    return !cancelled_;
}

}  // namespace cellwatch
