#pragma once
// What a caller asks of the download engine, and the events it hears back.
#include <windows.h>

#include <cstdint>

#include "services/core/values.h"

// Events delivered to OnEvent.
enum DownloadEvent : std::int32_t {
    FileSizeKnown = 3,
    TaskFinished = 4,
    ConnectionStarted = 5,
    SegmentStarted = 6,
    SegmentContinued = 7,
    ConnectionEnded = 8,
    ConnectionFailed = 9,
    DataReceived = 16,
    FileExists = 18,
};

// connection: the connection's number in the order connections started
// (1, 2, ...), 0 for none. task: the task record, opaque to the caller.
// Only the FileExists result is read: 0 rename automatically, 1 give up,
// 2 use SavePath as it is, anything else fail silently.
using DownloadEventCallback = std::int32_t(WINAPI*)(std::int32_t event, std::intptr_t connection, std::int32_t value1,
                                                    std::int32_t value2, void* task);
// timeStamp and text are code page 936; level 0 Info, 1 Sent, 2 Received, 3 Error.
using DownloadMessageCallback = std::int32_t(WINAPI*)(std::intptr_t connection, const char* timeStamp, const char* text,
                                                      std::int32_t level, void* task);

inline constexpr const char* kDefaultFtpPassword = "tavrin@users.invalid";

struct TaskParam {
    std::int32_t Mode = 1;
    Text Url;
    Text SavePath;  // a trailing backslash names a folder: the server names the file
    Text FtpUser = "anonymous";
    Text FtpPassword = kDefaultFtpPassword;
    std::int32_t ConnectionCount = 1;
    std::int32_t SpeedLimit = 0;  // bytes per second for the whole task, 0 none
    std::int32_t ConnectTimeout = 20000;
    std::int32_t SendTimeout = 20000;
    std::int32_t ReceiveTimeout = 20000;
    std::int32_t StopTimeout = 1000;
    std::int32_t BlockSize = 20480;
    std::int32_t SendBlockSize = 1024;  // not used
    DownloadMessageCallback OnMessage = nullptr;
    DownloadEventCallback OnEvent = nullptr;
    Text UploadName;  // not used
    std::int32_t FtpTransferType = 1;
    Text BinaryExtensions = ".exe|.rar|.zip|.gif|.jpg|.mp3|.rm";
    Text Proxy;    // "host" or "host:port"; empty: none
    Text Referer;  // empty: derived from the URL
};
