#pragma once
// The download object: runs one task at a time on threads of its own and
// reports through the callbacks of its TaskParam.
#include <memory>

#include "download/task_param.h"
#include "services/core/values.h"

struct TaskSlot;

class Download {
public:
    Download();
    ~Download();  // deletes a task still attached (may block up to its StopTimeout)
    Download(const Download&) = delete;
    Download& operator=(const Download&) = delete;

    // False if a task is attached already, the URL is not a usable http://
    // URL, SavePath is longer than 259 bytes, or no thread could be started.
    bool AddTask(TaskParam param);
    // Stops the task (blocks up to StopTimeout ms), hands back its state and
    // detaches it; TaskFinished follows on the task thread.
    bool StopTask(Bytes& state, int ignored = 0);
    bool GetTaskState(Bytes& state);
    int GetReceivedBytes();
    void DeleteTask();

private:
    bool Stop(Bytes* state);
    std::shared_ptr<TaskSlot> slot_;
};
