#pragma once
// The queue between a task's connection threads and its task thread. Events
// reach the caller on the task thread in the order they were posted.
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>

#include "services/core/values.h"

// Internal event codes.
enum class QueueEvent : int {
    End = 1,
    StopQueue = 2,
    StartConnection = 4,
    StatusMessage = 9,
    AllConnectionsOver = 18,
    CallerEvent = 21,
};

struct QueuedMessage {
    int level;
    Text timeStamp;
    Text text;
};

struct QueueEntry {
    QueueEntry(QueueEvent code_, std::int32_t subCode_ = 0, std::intptr_t connection_ = 0, std::int32_t value1_ = 0,
               std::int32_t value2_ = 0)
        : code(code_), subCode(subCode_), connection(connection_), value1(value1_), value2(value2_) {}

    QueueEvent code;
    std::int32_t subCode = 0;  // caller event code, or the connection of a message
    std::intptr_t connection = 0;
    std::int32_t value1 = 0, value2 = 0;
    std::shared_ptr<QueuedMessage> message;
};

class TaskEventQueue {
public:
    // Does nothing while the queue is blocked or closed. An entry posted
    // without `wake` waits for the task thread's next look, within 100 ms.
    void Post(QueueEntry entry, bool wake = true);
    // The oldest entry; waits up to 100 ms for one.
    std::optional<QueueEntry> Take();
    void Block(bool blocked);
    void DropAll();
    void Close();  // the task thread is done: nothing is queued any more

private:
    std::mutex lock_;
    std::condition_variable posted_;
    std::deque<QueueEntry> entries_;
    bool blocked_ = false;
    bool closed_ = false;
};
