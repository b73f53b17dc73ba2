#pragma once
// What one run of the installer shares across its threads: made by the entry
// steps before the main window is loaded and never freed. Worker threads
// (the engine's among them) may still run while the frame ends the program:
// the state ends with the process, after every thread.
#include <atomic>
#include <cstdint>
#include <mutex>

#include "download/download.h"
#include "installer/core/client_digest.h"
#include "installer/install_record.h"
#include "window/shadow.h"

struct InstallerState {
    Download download;
    TaskParam taskParam;  // filled by the install thread before AddTask
    // The engine's state blob from GetTaskState and StopTask. Locked: the
    // user-interface thread (EndProgram) and a completion thread may both stop.
    std::mutex taskStateLock;
    Bytes taskState;
    Text savedFileName;  // "tavrin.exe" once a download is set up
    // Written by the engine's task thread (FileSizeKnown), read by the
    // progress notices and the completion thread.
    std::atomic<std::int32_t> fileSize{0};
    // Written by the engine's task thread at TaskFinished: every segment
    // wrote its whole length and together they make the announced size.
    std::atomic<bool> downloadComplete{false};
    // Set by the completion thread that restarts the install sequence; only
    // completion threads, which never run together, touch it.
    std::atomic<std::int32_t> retried{0};
    // 1 from the start of the animation (its thread) until the shortcut step
    // (user-interface thread) has run; the completion thread waits for 0.
    std::atomic<std::int32_t> shortcutStepPending{0};
    // Set by the shortcut step when a shortcut the user asked for failed.
    std::atomic<bool> shortcutFailed{false};
    // Set by EndProgram: a task stopped by the end starts no completion.
    std::atomic<bool> ending{false};
    // Set at TaskFinished: the engine has let go of the client file.
    std::atomic<bool> taskOver{true};
    // Set at FileSizeKnown when the drive lacks room for the installation.
    std::atomic<bool> noRoom{false};
    // The progress notice shown last; the engine's task thread only.
    Text lastProgressNotice;
    // Counts the clicks on 快速安装: an animation of an earlier click stops.
    std::atomic<int> installRun{0};
    InstallRecord record;
    Text downloadAddress;         // from "up.ini", read once by the user-interface thread
    ExpectedDigest clientDigest;  // what the downloaded client must match, read with it
    ShadowInfo mainWindowShadow{MakeArgb(0, 0, 0, 50), 30.0f, 1, 1, 0, nullptr};
};

// The one state of this run; valid from CreateInstallerState until the end.
InstallerState& Installer();

// Makes the state.
void CreateInstallerState();

// Stops the download task (blocking up to its StopTimeout) and keeps its
// state blob.
void StopDownloadTask();
