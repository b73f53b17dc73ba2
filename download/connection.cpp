// A connection thread: the probe (first connection) or segment requests,
// the data loop into the mapped view, retries, and moving on to the next
// free segment.
#include <windows.h>

#include <algorithm>
#include <cstring>

#include "download/local_file.h"
#include "download/task.h"

namespace {

constexpr int kRetryWaitMs = 5000;
constexpr int kRetryStepMs = 10;

enum class LoopEnd { Complete, Stopped, Failed, RangeRefused };

bool RetryAllowed(const DownloadTask& task, const Connection& c) {
    return c.running.load() == 1 && !task.Stopped() && task.running.load() && c.retriesLeft > 0;
}

// The retry policy: counts the retry, tells the caller, waits 5 s in 10 ms
// steps that a stop cuts short. False when no retry may follow.
bool WaitForRetry(DownloadTask& task, Connection& c) {
    if (!RetryAllowed(task, c)) return false;
    --c.retriesLeft;
    ++task.retryCount;
    ReportFormatted(task, c.id, MessageLevel::Info, "等待%d秒后重试", kRetryWaitMs / 1000);
    for (int waited = 0; waited < kRetryWaitMs; waited += kRetryStepMs) {
        if (ShouldStop(task, c)) return false;
        Sleep(kRetryStepMs);
    }
    return !ShouldStop(task, c);
}

// Repeats a protocol step through the retry policy until it succeeds, fails
// finally (StepFinal) or finds its range refused.
template <class Step>
StepResult WithRetries(DownloadTask& task, Connection& c, Step step) {
    while (true) {
        StepResult result = step();
        if (result != StepRetry) return result;
        if (!WaitForRetry(task, c)) return StepFinal;
    }
}

// What each protocol does at each step of a connection.
struct ProtocolSteps {
    StepResult (*first)(DownloadTask&, Connection&);
    StepResult (*segment)(DownloadTask&, Connection&, std::int64_t offset);
    StepResult (*wholeFile)(DownloadTask&, Connection&);
    void (*segmentDone)(DownloadTask&, Connection&);  // after a complete segment, or nothing
};

const ProtocolSteps& StepsOf(Protocol protocol) {
    static constexpr ProtocolSteps kHttp = {HttpFirstRequest, HttpSegmentRequest, HttpWholeFileRequest, nullptr};
    static constexpr ProtocolSteps kFtp = {FtpFirstRequest, FtpSegmentRequest, FtpWholeFileRequest, FtpEndConnection};
    return protocol == Protocol::Ftp ? kFtp : kHttp;
}

Segment SegmentCopy(DownloadTask& task, int index) {
    std::lock_guard guard(task.segmentsLock);
    return task.segments[index];
}

std::int64_t CurrentOffset(DownloadTask& task, int index) {
    Segment s = SegmentCopy(task, index);
    return static_cast<std::int64_t>(s.start) + s.written;
}

// Moves the buffered bytes into the view at the segment's current offset.
// The segment may have been shortened by a split meanwhile: bytes past its
// end belong to the new segment, whose connection fetches them itself.
bool FlushBuffer(DownloadTask& task, Connection& c) {
    if (c.buffered == 0) return true;
    if (task.view != DownloadTask::View::Mapped) return false;
    std::lock_guard guard(task.segmentsLock);
    Segment& s = task.segments[c.segment];
    int room = std::max(0, s.length - s.written);
    int bytes = std::min(c.buffered, room);
    std::memcpy(task.base + s.start + s.written, c.buffer.data(), static_cast<std::size_t>(bytes));
    s.written += bytes;
    c.buffered = 0;
    c.headerBodyBytes = 0;
    return true;
}

void CountReceived(DownloadTask& task, Connection& c, int bytes) {
    c.received += bytes;
    task.received.fetch_add(bytes);
    task.dataBytes.fetch_add(bytes);
}

// Reads the segment's bytes until it is complete, the connection is told to
// stop, or a read fails. Failures and early closes go through the retry
// policy and continue from the current offset with a new segment request.
LoopEnd DataLoop(DownloadTask& task, Connection& c) {
    // The bytes that came with the response header count with the first read.
    int pendingHeaderBytes = c.headerBodyBytes;
    if (pendingHeaderBytes > 0) CountReceived(task, c, pendingHeaderBytes);
    while (true) {
        Segment s = SegmentCopy(task, c.segment);
        std::int64_t offset = static_cast<std::int64_t>(s.start) + s.written + c.buffered;
        std::int64_t left = static_cast<std::int64_t>(s.end()) - offset;
        if (left <= 0 || c.buffered == kReceiveBuffer) {
            if (pendingHeaderBytes > 0) PostCallerEvent(task, DataReceived, c.id, pendingHeaderBytes, 0);
            pendingHeaderBytes = 0;
            if (!FlushBuffer(task, c)) return LoopEnd::Failed;
            if (left <= 0) return LoopEnd::Complete;
            continue;
        }
        if (ShouldStop(task, c)) {
            FlushBuffer(task, c);
            return LoopEnd::Stopped;
        }
        int share = task.param.SpeedLimit > 0 ? std::max(1, task.rateShare.load()) : task.param.BlockSize;
        int wanted = static_cast<int>(std::min<std::int64_t>({share, kReceiveBuffer - c.buffered, left}));
        ULONGLONG began = GetTickCount64();
        Received r = c.link->Receive(c.buffer.data() + c.buffered, wanted, task.param.ReceiveTimeout,
                                     [&] { return ShouldStop(task, c); });
        if (r.bytes > 0) {
            // With a limit every receive lasts a second; the wait still sees a stop within 10 ms.
            if (task.param.SpeedLimit > 0)
                while (GetTickCount64() - began < 1000 && !ShouldStop(task, c)) Sleep(10);
            PostCallerEvent(task, DataReceived, c.id, r.bytes + pendingHeaderBytes, 0);
            pendingHeaderBytes = 0;
            CountReceived(task, c, r.bytes);
            c.buffered += r.bytes;
            continue;
        }
        if (pendingHeaderBytes > 0) PostCallerEvent(task, DataReceived, c.id, pendingHeaderBytes, 0);
        pendingHeaderBytes = 0;
        if (r.code == kStopped) {
            FlushBuffer(task, c);
            return LoopEnd::Stopped;
        }
        // The peer closed early or the read failed: what arrived is kept and
        // the rest of the segment is asked for again.
        ReportMessage(task, c.id, MessageLevel::Error, SocketErrorText(r.code));
        c.socket.Close();
        if (!WaitForRetry(task, c)) {
            c.buffered = 0;
            return LoopEnd::Failed;
        }
        if (!FlushBuffer(task, c)) return LoopEnd::Failed;
        std::int64_t resume = CurrentOffset(task, c.segment);
        StepResult asked = WithRetries(task, c, [&] { return StepsOf(task.protocol).segment(task, c, resume); });
        if (asked == StepRangeRefused) return LoopEnd::RangeRefused;
        if (asked != StepDone) return LoopEnd::Failed;
        pendingHeaderBytes = c.headerBodyBytes;
        if (pendingHeaderBytes > 0) CountReceived(task, c, pendingHeaderBytes);
    }
}

bool Probe(DownloadTask& task, Connection& c) {
    if (WithRetries(task, c, [&] { return StepsOf(task.protocol).first(task, c); }) != StepDone) return false;
    if (!task.savePath.empty() && task.savePath.back() == '\\') {
        const Text& path = task.protocol == Protocol::Ftp ? task.ftp.path : task.http.target;
        Text name = LastPathPart(DecodeUrlText(path));
        if (task.savePath.size() + name.size() < 260) task.savePath += name;
    }
    {
        std::lock_guard guard(task.segmentsLock);
        // An FTP server that cannot restart a transfer gets one connection.
        bool oneOnly = task.protocol == Protocol::Ftp && !task.ftpRestart.load();
        task.segments.Create(task.fileSize.load(), oneOnly ? 1 : task.param.ConnectionCount);
        c.segment = 0;
        task.segments[0].threadId = static_cast<std::int32_t>(GetCurrentThreadId());
        task.segments[0].connection = c.id;
    }
    if (!PrepareLocalFile(task, c)) {
        c.buffered = 0;
        return false;
    }
    for (int i = 1; i < task.segments.count(); ++i) task.queue.Post({QueueEvent::StartConnection});
    return true;
}

void AnnounceSegment(DownloadTask& task, Connection& c) {
    Segment s = SegmentCopy(task, c.segment);
    PostCallerEvent(task, c.onFirstSegment ? SegmentStarted : SegmentContinued, c.id, s.start + s.written, s.end());
    bool expected = false;
    if (c.sequence == 1 && task.sizeAnnounced.compare_exchange_strong(expected, true))
        PostCallerEvent(task, FileSizeKnown, c.id, task.fileSize.load(), 0);
}

std::optional<int> TakeNextSegment(DownloadTask& task, Connection& c) {
    std::lock_guard guard(task.segmentsLock);
    std::optional<int> next = task.segments.TakeFree();
    if (next) {
        task.segments[*next].threadId = static_cast<std::int32_t>(GetCurrentThreadId());
        task.segments[*next].connection = c.id;
    }
    return next;
}

// What a connection does next with its segment.
enum class Next { Read, AskSegment, AskWholeFile };

// Asks for the rest of the connection's segment, or for the whole file.
StepResult Ask(DownloadTask& task, Connection& c, Next next) {
    const ProtocolSteps& steps = StepsOf(task.protocol);
    if (next == Next::AskWholeFile) return WithRetries(task, c, [&] { return steps.wholeFile(task, c); });
    return WithRetries(task, c, [&] { return steps.segment(task, c, CurrentOffset(task, c.segment)); });
}

// Segments one after another until none is left, the connection is told to
// stop, or it fails (false). A range the server would not answer ends the
// connection normally: its segment goes back for the others.
bool Work(DownloadTask& task, Connection& c, Next next, std::int32_t& reached) {
    while (true) {
        if (next != Next::Read) {
            StepResult asked = Ask(task, c, next);
            reached = static_cast<std::int32_t>(CurrentOffset(task, c.segment));
            if (asked == StepRangeRefused) return true;
            if (asked != StepDone) return false;
        }
        AnnounceSegment(task, c);
        LoopEnd end = DataLoop(task, c);
        if (end == LoopEnd::Complete && StepsOf(task.protocol).segmentDone) StepsOf(task.protocol).segmentDone(task, c);
        c.socket.Close();
        reached = static_cast<std::int32_t>(CurrentOffset(task, c.segment));
        if (end == LoopEnd::Failed) return false;
        if (end != LoopEnd::Complete || ShouldStop(task, c)) return true;
        {
            std::lock_guard guard(task.segmentsLock);
            task.segments.Release(c.segment);
        }
        std::optional<int> following = TakeNextSegment(task, c);
        if (!following) {
            c.segment = -1;
            return true;
        }
        c.segment = *following;
        c.onFirstSegment = false;
        next = Next::AskSegment;
    }
}

// At a connection's end: it leaves the task, or, when it is the last one
// and a server would not answer a range, stays to fetch the whole file again
// from byte 0 (the file may not be whole otherwise). Decided under the
// segment lock, where connections are added and counted, so that two
// connections ending together cannot both leave an incomplete file behind.
bool StaysForWholeFile(DownloadTask& task, Connection& c, bool ok, bool& last) {
    std::lock_guard guard(task.segmentsLock);
    if (c.segment >= 0 && task.segments.count() > 0) task.segments.Release(c.segment);
    c.segment = -1;
    if (ok && task.rangeRefused.load() && task.active.load() == 1 && !ShouldStop(task, c) &&
        !task.segments.AllComplete() && c.retriesLeft > 0) {
        --c.retriesLeft;
        ++task.retryCount;
        task.wholeFileOnly = true;
        task.segments.Create(task.segments.fileSize(), 1);
        task.segments[0].threadId = static_cast<std::int32_t>(GetCurrentThreadId());
        task.segments[0].connection = c.id;
        c.segment = 0;
        task.received = 0;  // what is shown as progress starts again too
        return true;
    }
    last = task.active.fetch_sub(1) == 1;
    return false;
}

}  // namespace

bool ShouldStop(const DownloadTask& task, const Connection& connection) {
    return connection.running.load() != 1 || task.Stopped();
}

void RunConnection(DownloadTask& task, Connection& c) {
    PostCallerEvent(task, ConnectionStarted, c.id, 0, 0);
    c.buffer.assign(kReceiveBuffer, 0);
    std::int32_t reached = 0;  // offset reached in the connection's latest segment
    bool ok = true;
    Next next = Next::AskSegment;
    if (c.first) {
        ok = Probe(task, c);
        next = Next::Read;
    }
    bool last = false;
    while (true) {
        if (ok) ok = Work(task, c, next, reached);
        c.socket.Close();
        c.control.Close();
        c.listener.Close();
        if (!StaysForWholeFile(task, c, ok, last)) break;
        ReportMessage(task, c.id, MessageLevel::Info, "服务器不支持分段下载, 改为单连接从头下载整个文件");
        next = Next::AskWholeFile;
        c.onFirstSegment = false;
    }
    c.buffer.clear();
    c.buffer.shrink_to_fit();
    PostCallerEvent(task, ok ? ConnectionEnded : ConnectionFailed, c.id, reached, 0);
    c.running = -1;
    // The last one out ends the task.
    if (last) task.queue.Post({QueueEvent::AllConnectionsOver});
}
