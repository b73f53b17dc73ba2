// The Download object and a task's own thread: the event queue, adding
// connections, and the end of the task.
#include "download/download.h"

#include <windows.h>

#include <algorithm>

#include "download/core/state_blob.h"
#include "download/local_file.h"
#include "download/task.h"

namespace {

constexpr int kStopStepMs = 20;
constexpr int kAttachedOnly = 0x30;
constexpr int kDownloading = 0x10;

std::shared_ptr<DownloadTask> TaskOf(TaskSlot& slot) {
    std::lock_guard guard(slot.lock);
    return slot.task;
}

void DeliverMessage(DownloadTask& task, int connection, const QueuedMessage& message) {
    if (task.param.OnMessage)
        task.param.OnMessage(connection, message.timeStamp.c_str(), message.text.c_str(), message.level, &task);
}

// Internal event 4: the first connection, or one more for a free or split
// segment (the probe posts one such event for every further segment).
void AddConnection(DownloadTask& task) {
    if (task.stopping.load()) return;
    auto connection = std::make_unique<Connection>();
    connection->task = &task;
    {
        // Segments are taken and connections counted under one lock, where a
        // connection decides to fetch the whole file alone.
        std::lock_guard guard(task.segmentsLock);
        if (task.active.load() == 0 && task.started.load() == 0) {
            connection->first = true;
        } else {
            if (task.wholeFileOnly) return;
            std::optional<int> index = task.segments.TakeFree();
            if (!index) index = task.segments.SplitLargest();
            if (!index) return;
            connection->segment = *index;
            task.rateShare = task.param.SpeedLimit / (task.active.load() + 1);
        }
        // Counted before the thread starts, so that the last connection ending
        // meanwhile cannot take the new one for the end of the task.
        connection->id = task.started.fetch_add(1) + 1;
        connection->sequence = task.active.fetch_add(1) + 1;
        if (connection->segment >= 0) task.segments[connection->segment].connection = connection->id;
    }
    Connection* raw = connection.get();
    try {
        raw->thread = std::thread([&task, raw] {
            {
                std::lock_guard guard(task.segmentsLock);
                if (raw->segment >= 0)
                    task.segments[raw->segment].threadId = static_cast<std::int32_t>(GetCurrentThreadId());
            }
            RunConnection(task, *raw);
        });
    } catch (const std::system_error&) {
        // No thread: no connection; the task goes on with the others.
        bool last;
        {
            std::lock_guard guard(task.segmentsLock);
            if (raw->segment >= 0) task.segments.Release(raw->segment);
            last = task.active.fetch_sub(1) == 1;
        }
        if (last) task.queue.Post({QueueEvent::AllConnectionsOver});
        return;
    }
    std::lock_guard guard(task.connectionsLock);
    task.connections.push_back(std::move(connection));
}

// Tells every connection to stop and waits for its thread to end; the view
// is closed only after that, so no connection writes into a closed view.
void EndConnections(DownloadTask& task) {
    std::vector<Connection*> running;
    {
        std::lock_guard guard(task.connectionsLock);
        for (auto& c : task.connections) {
            if (c->running.load() == 1) c->running = 0;
            running.push_back(c.get());
        }
    }
    for (Connection* c : running)
        if (c->thread.joinable()) c->thread.join();
}

// Drains the queue until it says to end.
void DrainQueue(DownloadTask& task) {
    while (true) {
        std::optional<QueueEntry> entry = task.queue.Take();
        if (!entry) continue;
        switch (entry->code) {
            case QueueEvent::StartConnection: AddConnection(task); break;
            case QueueEvent::StatusMessage:
                if (entry->message && entry->message->level != 4097)
                    DeliverMessage(task, entry->subCode, *entry->message);
                break;
            case QueueEvent::CallerEvent:
                if (task.param.OnEvent)
                    task.param.OnEvent(entry->subCode, entry->connection, entry->value1, entry->value2, &task);
                break;
            case QueueEvent::AllConnectionsOver:
                task.queue.Post({QueueEvent::StopQueue});
                EndConnections(task);
                CloseLocalFile(task);
                break;
            case QueueEvent::StopQueue:
                task.queue.Block(true);
                task.queue.DropAll();
                task.queue.Block(false);
                task.queue.Post({QueueEvent::End});
                task.queue.Block(true);
                break;
            case QueueEvent::End: return;
        }
    }
}

void RunTask(std::shared_ptr<DownloadTask> task) {
    if (task->modeByte == kDownloading) task->queue.Post({QueueEvent::StartConnection});
    DrainQueue(*task);
    task->running = false;
    task->queue.Close();
    EndConnections(*task);  // none is left running by now; joins for certain
    CloseLocalFile(*task);

    std::int32_t finished = task->fileSize.load();
    if (task->Stopped()) {
        std::lock_guard guard(task->segmentsLock);
        finished = static_cast<std::int32_t>(task->segments.WrittenTotal());
        task->received = finished;
    }
    if (task->param.OnEvent) task->param.OnEvent(TaskFinished, 0, finished, 0, task.get());

    task->alive = false;
    std::lock_guard guard(task->slot->lock);
    if (task->slot->task == task) task->slot->task.reset();
}

TaskParam CleanedParam(const TaskParam& param) {
    TaskParam clean = param;
    for (Text* text : {&clean.Url, &clean.SavePath, &clean.FtpUser, &clean.FtpPassword, &clean.UploadName,
                       &clean.BinaryExtensions, &clean.Proxy, &clean.Referer})
        *text = WithoutLineBreaks(*text);
    return clean;
}

Bytes StateBlob(DownloadTask& task) {
    TaskStateTexts texts;
    texts.host = task.http.host;
    texts.target = task.http.target;
    texts.referer = task.http.referer;
    texts.userAgent = Text(kUserAgent);
    if (!task.http.cookieLine.empty()) texts.extraHeader = task.http.cookieLine;
    std::lock_guard guard(task.segmentsLock);
    return BuildTaskStateBlob(task.segments, texts, static_cast<int>(task.protocol), task.address, task.connectPort,
                              task.fileSize.load());
}

}  // namespace

void ReportMessage(DownloadTask& task, int connection, MessageLevel level, std::string_view text) {
    SYSTEMTIME now;
    GetLocalTime(&now);
    auto message = std::make_shared<QueuedMessage>(QueuedMessage{
        static_cast<int>(level), MessageTimeStamp(now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond),
        Text(text)});
    if (task.modeByte == kAttachedOnly) {
        DeliverMessage(task, connection, *message);
        return;
    }
    QueueEntry entry{QueueEvent::StatusMessage, connection};
    entry.message = std::move(message);
    task.queue.Post(std::move(entry));
}

void PostCallerEvent(DownloadTask& task, DownloadEvent event, int connection, std::int32_t value1,
                     std::int32_t value2) {
    // A receive's event does not wake the task thread: under Wine each wake
    // is a round trip through the server, one for every 20 KiB received.
    task.queue.Post({QueueEvent::CallerEvent, event, connection, value1, value2}, event != DataReceived);
}

Download::Download() : slot_(std::make_shared<TaskSlot>()) {}

Download::~Download() { DeleteTask(); }

bool Download::AddTask(TaskParam param) {
    if (TaskOf(*slot_)) return false;
    param.Mode |= 0x1000;
    TaskParam clean = CleanedParam(param);
    ParsedUrl url = ParseUrl(clean.Url);
    // The streaming schemes are refused here.
    bool served = url.protocol == Protocol::Http || url.protocol == Protocol::Ftp;
    if (!served || clean.SavePath.size() > 259) return false;
    if (clean.FtpUser.size() > kFtpNameLimit || clean.FtpPassword.size() > kFtpNameLimit) return false;

    auto task = std::make_shared<DownloadTask>();
    task->param = clean;
    task->param.ConnectionCount = std::max(1, clean.ConnectionCount);
    task->param.BlockSize = std::clamp(clean.BlockSize, 1, static_cast<std::int32_t>(kReceiveBuffer));
    task->protocol = url.protocol;
    task->modeByte = (param.Mode & 0xFF00) >> 8;
    task->savePath = clean.SavePath;
    if (url.protocol == Protocol::Ftp) {
        task->ftp = MakeFtpTaskData(clean.Url, url.host, url.path, url.port, clean.FtpUser, clean.FtpPassword,
                                    clean.FtpTransferType, clean.BinaryExtensions);
        if (task->ftp.user.size() > kFtpNameLimit || task->ftp.password.size() > kFtpNameLimit) return false;
    } else {
        task->http =
            MakeHttpRequestData(clean.Url, url.host, url.path, url.port, clean.Proxy, clean.Referer, url.secure);
    }
    task->rateShare = clean.SpeedLimit;
    task->slot = slot_;
    if (task->modeByte != kAttachedOnly) {
        task->running = true;
        try {
            std::thread(RunTask, task).detach();
        } catch (const std::system_error&) {
            return false;
        }
    }
    std::lock_guard guard(slot_->lock);
    slot_->task = task;
    return true;
}

bool Download::Stop(Bytes* state) {
    std::shared_ptr<DownloadTask> task = TaskOf(*slot_);
    if (!task || !task->alive.load()) return false;
    task->stopping = true;
    task->stopRequested = true;
    {
        std::lock_guard guard(task->connectionsLock);
        for (auto& c : task->connections)
            if (c->running.load() == 1) c->running = 0;
    }
    int steps = task->param.StopTimeout / kStopStepMs;
    for (int i = 0; i < steps && task->active.load() > 0; ++i) Sleep(kStopStepMs);
    if (state) *state = StateBlob(*task);
    task->queue.Post({QueueEvent::AllConnectionsOver});
    std::lock_guard guard(slot_->lock);
    if (slot_->task == task) slot_->task.reset();
    return true;
}

bool Download::StopTask(Bytes& state, int) { return Stop(&state); }

void Download::DeleteTask() { Stop(nullptr); }

bool Download::GetTaskState(Bytes& state) {
    std::shared_ptr<DownloadTask> task = TaskOf(*slot_);
    if (!task || !task->alive.load()) return false;
    state = StateBlob(*task);
    return true;
}

int Download::GetReceivedBytes() {
    std::shared_ptr<DownloadTask> task = TaskOf(*slot_);
    return task ? task->received.load() : 0;
}
