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

// Protocol steps answer 1 success, -1 retryable failure, 0 final failure.
enum StepResult : int { StepFinal = 0, StepDone = 1, StepRetry = -1 };

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
    Socket socket;             // the data socket (HTTP: the only one)
    Socket control;            // FTP control connection
    Socket listener;           // FTP active mode: waits for the server's data connection
    TlsChannel tls;            // HTTPS: the session over `socket`
    std::vector<char> buffer;  // kReceiveBuffer bytes
    int buffered = 0;          // bytes in buffer not yet in the file
    int headerBodyBytes = 0;   // of those, the ones that came with the response header
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
    Text address;  // resolved server, or proxy when one is set
    int connectPort = 0;

    std::atomic<std::int32_t> fileSize{0};
    std::atomic<std::int32_t> received{0};
    std::atomic<std::int64_t> dataBytes{0};
    std::atomic<int> retryCount{0};
    std::atomic<int> active{0};
    std::atomic<int> started{0};
    std::atomic<int> rateShare{0};
    std::atomic<bool> sizeAnnounced{false};

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

// What an HTTP connection's bytes go through: its TLS session once one is
// set up on the socket, else the socket itself.
int ConnectionSend(Connection& connection, std::string_view bytes, int timeoutMs, const StopCheck& stop);
Received ConnectionReceive(Connection& connection, char* buffer, int wanted, int timeoutMs, const StopCheck& stop);

// HTTP steps of a connection.
StepResult HttpFirstRequest(DownloadTask& task, Connection& connection);
StepResult HttpSegmentRequest(DownloadTask& task, Connection& connection, std::int64_t offset);

// FTP steps of a connection, and its last word on the control connection.
StepResult FtpFirstRequest(DownloadTask& task, Connection& connection);
StepResult FtpSegmentRequest(DownloadTask& task, Connection& connection, std::int64_t offset);
void FtpEndConnection(DownloadTask& task, Connection& connection);
// Checks the caller's stop and the connection's.
bool ShouldStop(const DownloadTask& task, const Connection& connection);
