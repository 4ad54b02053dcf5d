#include "packs/pack_health_job.h"

#include <QThread>
#include <memory>
#include <optional>

namespace cellwatch {

PackHealthJob::PackHealthJob(QObject* parent)
    : QObject(parent), reader_([](const QString& folder, const QString& name) {
          return packHealthOfFolder(folder, name);
      }) {}

PackHealthJob::~PackHealthJob() = default;

void PackHealthJob::start(const QString& folder, const QString& name) {
    const quint64 generation = ++generation_;
    busy_ = true;
    // The thread owns what it works on; the job only hears of it when it
    // ends, in its own thread, and then only if it still wants it.
    auto result = std::make_shared<std::optional<PackHealth>>();
    QThread* thread = QThread::create([reader = reader_, folder, name, result] {
        try {
            *result = reader(folder, name);
        } catch (const std::exception&) {
            *result = PackHealth{};  // a folder that cannot be read has no health to tell
        }
    });
    connect(thread, &QThread::finished, thread, &QObject::deleteLater);
    connect(thread, &QThread::finished, this, [this, generation, name, result] {
        if (generation != generation_ || !result->has_value()) {
            return;  // superseded or dropped
        }
        busy_ = false;
        emit ready(name, **result);
    });
    thread->start(QThread::LowPriority);
}

void PackHealthJob::drop() {
    ++generation_;
    busy_ = false;
}

}  // namespace cellwatch
