#pragma once
// The frame's state, one instance for the process: what the services keep
// between start-up and the end. Touched by the user-interface thread, except
// where a member says otherwise.
#include <windows.h>

#include <atomic>
#include <map>
#include <memory>
#include <mutex>
#include <type_traits>
#include <vector>

#include "frame/core/event.h"
#include "frame/core/layout.h"
#include "frame/frame.h"

class LoadedWindow;

struct BoundHandler {
    int number;
    EventHandler handler;
};

struct IdleEntry {
    std::uint32_t window;
    void (*routine)();
};

struct Application {
    HANDLE heap = nullptr;
    bool oleInitialized = false;
    DWORD userInterfaceThread = 0;
    HWND hiddenOwner = nullptr;
    LayoutDescription layout;
    // Handlers of each control, by (window, control) identifier.
    std::map<std::pair<std::uint32_t, std::uint32_t>, std::vector<BoundHandler>> handlers;
    // Every window loaded so far, also those destroyed since (their
    // controls keep their last values); owned here until the process ends.
    // Added to by the user-interface thread; looked up by any thread.
    std::vector<std::unique_ptr<LoadedWindow>> windows;
    std::mutex windowsLock;
    std::vector<ExitCallback> exitCallbacks;
    // Set by a fatal report (any thread): the list is dropped uncalled.
    std::atomic<bool> skipExitCallbacks{false};
    std::vector<IdleEntry> idleRoutines;
    // Written by the user-interface thread when the end starts; read by any.
    std::atomic<bool> shuttingDown{false};
};

Application& App();

// While above 0 no event handler runs: raised by a fatal report and by the
// orderly end, never lowered. Any thread.
std::atomic<int>& ErrorNestingCounter();

bool OnUserInterfaceThread();

// Runs `work` on the user-interface thread (at once when called there) and
// waits for it. Skipped once the end is under way; returns whether it ran.
template <class Work>
bool RunOnUserInterfaceThread(Work&& work);

// The window description of `id`, or nothing.
const WindowDescription* FindWindowDescription(std::uint32_t id);
// The loaded window of `id` (also when destroyed since), or nothing. Any thread.
LoadedWindow* FindLoadedWindow(std::uint32_t id);
// Takes a new window into the list (user-interface thread).
LoadedWindow& AddLoadedWindow(std::unique_ptr<LoadedWindow> window);

// Private messages of the frame.
inline constexpr UINT kCreationCompleteMessage = 0x806F;  // to each control
inline constexpr UINT kWindowCreatedMessage = 0x8004;     // to the window
inline constexpr UINT kUserEventMessage = 0x8075;         // to a label
inline constexpr UINT kShutDownMessage = 0x83E7;          // to the hidden owner
inline constexpr UINT kRunWorkMessage = 0x8400;           // to the hidden owner

namespace frame_detail {
using WorkFunction = void (*)(void* context);
bool RunWork(WorkFunction function, void* context);
}  // namespace frame_detail

template <class Work>
bool RunOnUserInterfaceThread(Work&& work) {
    if (OnUserInterfaceThread()) {
        work();
        return true;
    }
    using Callable = std::remove_reference_t<Work>;
    return frame_detail::RunWork([](void* context) { (*static_cast<Callable*>(context))(); }, &work);
}
