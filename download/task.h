#pragma once
// The records of a running download: the task and its connections. Shared
// by the task thread (download.cpp), the connection threads
// (connection.cpp) and the protocol steps (http.cpp).
#include <windows.h>

#include <atomic>
#include <cstdio>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "download/core/ftp.h"
#include "download/core/http_request.h"
#include "download/core/http_response.h"
#include "download/core/segments.h"
#include "download/core/status_text.h"
#include "download/core/url.h"
#include "download/event_queue.h"
#include "download/socket.h"
#include "download/task_param.h"
#include "download/tls.h"

struct DownloadTask;

// Protocol steps answer 1 success, -1 retryable failure, 0 final failure;
// a ranged request may also find that the server did not answer its range.
enum StepResult : int { StepFinal = 0, StepDone = 1, StepRetry = -1, StepRangeRefused = 2 };

struct Connection {
    DownloadTask* task = nullptr;
    int id = 0;        // order of start, 1-based: what the callbacks see
    int sequence = 0;  // active connections when it began, itself included
    bool first = false;
    int segment = -1;
    bool onFirstSegment = true;
    // 1 running, 0 asked to stop (written by the stop), -1 ended (written by the thread).
    std::atomic<int> running{1};
    std::thread thread;
    Socket socket;              // the data socket (HTTP: the only one)
    Socket control;             // FTP control connection
    Socket listener;            // FTP active mode: waits for the server's data connection
    TlsChannel tls;             // HTTPS: the session over `socket`
    Transport* link = &socket;  // the top of the byte chain: `socket`, or `tls` over it
    std::vector<char> buffer;   // kReceiveBuffer bytes
    int buffered = 0;           // bytes in buffer not yet in the file
    int headerBodyBytes = 0;    // of those, the ones that came with the response header
    std::int64_t received = 0;
    int retriesLeft = 999;
    HttpResponse response;
};

// A slot in the Download object that the task clears when it ends.
struct TaskSlot {
    std::mutex lock;
    std::shared_ptr<DownloadTask> task;
};

struct DownloadTask {
    // Flags written by the caller's stop or the task thread, read by all threads.
    std::atomic<bool> alive{true};
    std::atomic<bool> stopRequested{false};
    std::atomic<bool> stopping{false};
    std::atomic<bool> running{false};

    TaskParam param;  // the caller's record with CR and LF removed from its texts
    Protocol protocol = Protocol::None;
    int modeByte = 0;
    Text savePath;
    HttpRequestData http;
    FtpTaskData ftp;
    // Shared by all connections: written by whichever finds out first.
    std::atomic<bool> ftpActiveMode{false};
    std::atomic<bool> ftpRestart{false};
    // The server's (or the proxy's) addresses: all that the name gave until
    // one answers, then that one, which every later connect uses.
    std::vector<PeerAddress> peers;
    Text address;  // the address as text, for the messages and the state
    int connectPort = 0;
    TlsCredentials tlsCredentials;  // one for all connections: their sessions may resume

    std::atomic<std::int32_t> fileSize{0};
    std::atomic<std::int32_t> received{0};
    std::atomic<std::int64_t> dataBytes{0};
    std::atomic<int> retryCount{0};
    std::atomic<int> active{0};
    std::atomic<int> started{0};
    std::atomic<int> rateShare{0};
    std::atomic<bool> sizeAnnounced{false};
    // A server answered a ranged request with something else (written by
    // any connection); once the task has fallen back to one connection that
    // fetches the whole file, no connection is added (under segmentsLock).
    std::atomic<bool> rangeRefused{false};
    bool wholeFileOnly = false;

    std::mutex segmentsLock;
    SegmentTable segments;

    std::mutex connectionsLock;
    std::vector<std::unique_ptr<Connection>> connections;

    TaskEventQueue queue;

    // The local file's mapped view: written by connections, closed by the
    // task thread only after every connection thread has been joined.
    enum class View { NotMapped, Mapped, Closed } view = View::NotMapped;
    HANDLE mapping = nullptr;
    std::uint8_t* base = nullptr;

    std::shared_ptr<TaskSlot> slot;

    bool Stopped() const { return stopRequested.load(); }
};

// Status message from a connection (0 for none), queued or, in the
// attached-only mode, handed over at once.
void ReportMessage(DownloadTask& task, int connection, MessageLevel level, std::string_view text);
template <class... Args>
void ReportFormatted(DownloadTask& task, int connection, MessageLevel level, const char* format, Args... args) {
    char text[1024];
    std::snprintf(text, sizeof text, format, args...);
    ReportMessage(task, connection, level, text);
}
void PostCallerEvent(DownloadTask& task, DownloadEvent event, int connection, std::int32_t value1, std::int32_t value2);

// Runs on a connection thread.
void RunConnection(DownloadTask& task, Connection& connection);

// HTTP steps of a connection. The whole-file request starts the file again
// from byte 0 when a server would not answer a range.
StepResult HttpFirstRequest(DownloadTask& task, Connection& connection);
StepResult HttpSegmentRequest(DownloadTask& task, Connection& connection, std::int64_t offset);
StepResult HttpWholeFileRequest(DownloadTask& task, Connection& connection);

// FTP steps of a connection, and its last word on the control connection.
StepResult FtpFirstRequest(DownloadTask& task, Connection& connection);
StepResult FtpSegmentRequest(DownloadTask& task, Connection& connection, std::int64_t offset);
StepResult FtpWholeFileRequest(DownloadTask& task, Connection& connection);
void FtpEndConnection(DownloadTask& task, Connection& connection);
// Checks the caller's stop and the connection's.
bool ShouldStop(const DownloadTask& task, const Connection& connection);
