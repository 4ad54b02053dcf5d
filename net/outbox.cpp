#include "net/outbox.h"

#include <algorithm>

namespace cellwatch::net {

void Outbox::erase(std::deque<Message>::iterator at) {
    bytes_ -= at->payload.size();
    if (at->droppable) {
        droppableBytes_ -= at->payload.size();
    }
    queue_.erase(at);
}

void Outbox::push(Message m) {
    if (m.retain) {
        const auto waiting = std::find_if(queue_.begin(), queue_.end(), [&](const Message& q) {
            return q.retain && q.topic == m.topic;
        });
        if (waiting != queue_.end()) {
            erase(waiting);
        }
    }
    bytes_ += m.payload.size();
    if (m.droppable) {
        droppableBytes_ += m.payload.size();
    }
    queue_.push_back(std::move(m));
    while (droppableBytes_ > maxDroppableBytes_) {
        const auto oldest = std::find_if(queue_.begin(), queue_.end(),
                                         [](const Message& q) { return q.droppable; });
        if (oldest == queue_.end()) {
            break;
        }
        erase(oldest);
        ++dropped_;
    }
    // The newest message waits whatever its size: the bound makes older ones give way.
    while (bytes_ > maxBytes_) {
        const auto newest = std::prev(queue_.end());
        const auto oldest =
            std::find_if(queue_.begin(), newest, [](const Message& q) { return !q.retain; });
        if (oldest == newest) {
            break;
        }
        ++(oldest->droppable ? dropped_ : droppedOthers_);
        erase(oldest);
    }
}

std::optional<Outbox::Message> Outbox::pop() {
    if (queue_.empty()) {
        return std::nullopt;
    }
    Message m = std::move(queue_.front());
    queue_.pop_front();
    bytes_ -= m.payload.size();
    if (m.droppable) {
        droppableBytes_ -= m.payload.size();
    }
    return m;
}

void Outbox::append(Outbox&& later) {
    while (std::optional<Message> m = later.pop()) {
        push(std::move(*m));
    }
    dropped_ += later.dropped_;
    droppedOthers_ += later.droppedOthers_;
    later.clear();
}

std::size_t Outbox::count(const QString& topic) const {
    return static_cast<std::size_t>(std::count_if(
        queue_.begin(), queue_.end(), [&](const Message& m) { return m.topic == topic; }));
}

void Outbox::clear() {
    queue_.clear();
    droppableBytes_ = 0;
    bytes_ = 0;
    dropped_ = 0;
    droppedOthers_ = 0;
}

}  // namespace cellwatch::net
