#include "download/event_queue.h"

#include <chrono>

void TaskEventQueue::Post(QueueEntry entry, bool wake) {
    {
        std::lock_guard guard(lock_);
        if (blocked_ || closed_) return;
        entries_.push_back(std::move(entry));
    }
    if (wake) posted_.notify_one();
}

std::optional<QueueEntry> TaskEventQueue::Take() {
    std::unique_lock guard(lock_);
    if (entries_.empty()) posted_.wait_for(guard, std::chrono::milliseconds(100));
    if (entries_.empty()) return std::nullopt;
    QueueEntry entry = std::move(entries_.front());
    entries_.pop_front();
    return entry;
}

void TaskEventQueue::Block(bool blocked) {
    std::lock_guard guard(lock_);
    blocked_ = blocked;
}

void TaskEventQueue::DropAll() {
    std::lock_guard guard(lock_);
    entries_.clear();
}

void TaskEventQueue::Close() {
    std::lock_guard guard(lock_);
    closed_ = true;
    entries_.clear();
}
