// Messages waiting for room among those the broker has not acknowledged
// yet, bounded however long the broker keeps silent:
//   - a retained message stands for the state of its topic: a newer one
//     takes the place of one still waiting (the resume, re-published with
//     every row, waits once);
//   - raw records give way, oldest first, once they exceed a bound in bytes;
//   - once everything waiting exceeds a second bound, the oldest messages
//     that are not retained (rows, events) give way too, each counted: the
//     recording's own files keep them.
#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <deque>
#include <optional>

namespace cellwatch::net {

class Outbox {
public:
    struct Message {
        QString topic;
        QByteArray payload;
        int qos = 1;
        bool retain = false;
        bool droppable = false;  // a raw record
    };

    explicit Outbox(qsizetype maxDroppableBytes, qsizetype maxBytes = 1024 * 1024)
        : maxDroppableBytes_(maxDroppableBytes), maxBytes_(maxBytes) {}

    // Queues `m` (in place of a waiting retained message of its topic);
    // then drops what the bounds ask for.
    void push(Message m);
    std::optional<Message> pop();
    // Puts everything of `later` behind what waits here.
    void append(Outbox&& later);
    void clear();

    bool empty() const { return queue_.empty(); }
    std::size_t size() const { return queue_.size(); }
    qsizetype droppableBytes() const { return droppableBytes_; }
    qsizetype bytes() const { return bytes_; }
    std::size_t count(const QString& topic) const;
    // Raw records dropped since the last clear() or resetDropped().
    std::uint64_t dropped() const { return dropped_; }
    // Rows and events dropped likewise.
    std::uint64_t droppedOthers() const { return droppedOthers_; }
    void resetDropped() {
        dropped_ = 0;
        droppedOthers_ = 0;
    }

private:
    void erase(std::deque<Message>::iterator at);

    std::deque<Message> queue_;
    qsizetype maxDroppableBytes_;
    qsizetype maxBytes_;
    qsizetype droppableBytes_ = 0;
    qsizetype bytes_ = 0;
    std::uint64_t dropped_ = 0;
    std::uint64_t droppedOthers_ = 0;
};

}  // namespace cellwatch::net
