// Messages waiting for room among those the broker has not acknowledged
// yet. Raw records may be dropped, oldest first, once those waiting exceed
// a bound in bytes; rows, events and status messages are never dropped.
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

    explicit Outbox(qsizetype maxDroppableBytes) : maxDroppableBytes_(maxDroppableBytes) {}

    // Queues `m`; then drops the oldest droppable messages while those
    // waiting exceed the bound.
    void push(Message m);
    std::optional<Message> pop();
    // Puts everything of `later` behind what waits here.
    void append(Outbox&& later);
    void clear();

    bool empty() const { return queue_.empty(); }
    std::size_t size() const { return queue_.size(); }
    qsizetype droppableBytes() const { return droppableBytes_; }
    // Raw records dropped since the last clear() or resetDropped().
    std::uint64_t dropped() const { return dropped_; }
    void resetDropped() { dropped_ = 0; }

private:
    std::deque<Message> queue_;
    qsizetype maxDroppableBytes_;
    qsizetype droppableBytes_ = 0;
    std::uint64_t dropped_ = 0;
};

}  // namespace cellwatch::net
