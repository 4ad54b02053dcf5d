#include "net/outbox.h"

#include <algorithm>

namespace cellwatch::net {

void Outbox::push(Message m) {
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
        droppableBytes_ -= oldest->payload.size();
        queue_.erase(oldest);
        ++dropped_;
    }
}

std::optional<Outbox::Message> Outbox::pop() {
    if (queue_.empty()) {
        return std::nullopt;
    }
    Message m = std::move(queue_.front());
    queue_.pop_front();
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
    later.clear();
}

void Outbox::clear() {
    queue_.clear();
    droppableBytes_ = 0;
    dropped_ = 0;
}

}  // namespace cellwatch::net
