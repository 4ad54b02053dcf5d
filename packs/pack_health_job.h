// A pack's health worked out in a thread of its own, so that a window stays
// usable while the pack's journals are read. start() begins a reading;
// ready() says, in the thread that made the job, what the newest one came
// to. A reading started while another is under way supersedes it: the older
// one's result is dropped when it comes. Destroying the job drops what is
// still being read (its thread ends on its own, touching nothing of the job).
#pragma once

#include <QObject>
#include <QString>
#include <functional>

#include "packs/pack_health.h"

namespace cellwatch {

class PackHealthJob final : public QObject {
    Q_OBJECT
public:
    // What a reading does; packHealthOfFolder unless replaced (before start).
    using Reader = std::function<PackHealth(const QString& folder, const QString& name)>;

    explicit PackHealthJob(QObject* parent = nullptr);
    ~PackHealthJob() override;

    void setReader(Reader reader) { reader_ = std::move(reader); }
    // Reads the health of pack `name` over the journals of `folder`.
    void start(const QString& folder, const QString& name);
    // Drops the reading under way, if any: no ready() for it.
    void drop();
    // Whether a reading is under way whose result is still wanted.
    bool busy() const { return busy_; }

signals:
    void ready(const QString& name, const PackHealth& health);

private:
    Reader reader_;
    quint64 generation_ = 0;  // of the newest reading
    bool busy_ = false;
};

}  // namespace cellwatch
