// A whole program on the frame, for the tests that need one: RunProgram
// with the test layout, handlers that write what they see to a log, and a
// few modes a test chooses through TAVRIN_TEST_MODE:
//   input           wait for real input (clicks, hover, a drag, the close button)
//   fatal           a runtime error in the created handler, with clicks queued
//   worker-end      a worker thread ends the program with exit code 5
//   ending-race     a worker's ShutDown(3) while the user-interface thread ends with 7
//   idle            an idle routine that ends the program with exit code 9 on its third call
#include <windows.h>

#include <atomic>
#include <string>
#include <thread>

#include "controls/window_operations.h"
#include "frame/core/event.h"
#include "frame/frame.h"
#include "layout_ids.h"
#include "services/declared.h"

namespace tw = layout::test_window;

namespace {

std::string Environment(const char* name) {
    char value[512] = {};
    DWORD length = GetEnvironmentVariableA(name, value, sizeof value);
    return length > 0 && length < sizeof value ? std::string(value, length) : std::string();
}

// One line per call, appended and on disk at once: the test reads the log
// while the program runs.
void Log(const std::string& line) {
    std::string path = Environment("TAVRIN_EVENT_LOG");
    if (path.empty()) return;
    HANDLE file = CreateFileA(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    std::string text = line + "\n";
    DWORD written;
    WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    CloseHandle(file);
}

void LogEvent(const EventArgs& args) {
    std::string line = "event " + std::to_string(args.control) + " " + std::to_string(args.number);
    for (int i = 0; i < args.count; ++i) line += " " + std::to_string(args.values[i]);
    Log(line);
}

std::atomic<bool> workerReturned{false};
HANDLE ending = nullptr;

void LogExitCallback(int position) { Log("exit callback " + std::to_string(position)); }

// The user-interface thread is ending: let the worker's ShutDown run now
// and see it return without ending the process.
void LetWorkerShutDown(int position) {
    Log("exit callback " + std::to_string(position));
    SetEvent(ending);
    for (int i = 0; i < 200 && !workerReturned; ++i) Sleep(10);
    Log(workerReturned ? "worker returned" : "worker did not return");
}

void EndOnThirdIdleCall() {
    static int calls = 0;
    Log("idle " + std::to_string(++calls));
    if (calls == 3) ShutDown(9);
    // More messages keep the loop coming back to idle.
    PostMessageW(GetWindowHandle(tw::kWindow, tw::kWindow), WM_NULL, 0, 0);
}

void StartMode(const std::string& mode) {
    if (mode == "idle") AddIdleRoutine(tw::kWindow, EndOnThirdIdleCall);
    if (mode == "fatal") {
        HWND page = GetWindowHandle(tw::kWindow, tw::kPageOne);
        for (int i = 0; i < 3; ++i) PostMessageW(page, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(1, 1));
        Log("page " + std::to_string(reinterpret_cast<std::uintptr_t>(page)));
        Log("fatal");
        RaiseRuntimeError(4, static_cast<int>(tw::kWindow), static_cast<int>(tw::kPageOne));
    }
    if (mode == "worker-end") {
        std::thread([] {
            ShutDown(5);
            Log("worker went on");
        }).detach();
    }
    if (mode == "ending-race") {
        ending = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        AddExitCallback(LetWorkerShutDown);
        std::thread([] {
            WaitForSingleObject(ending, INFINITE);
            ShutDown(3);
            workerReturned = true;
        }).detach();
        ShutDown(7);
    }
}

}  // namespace

EventResult OnTestCreated(const EventArgs& args) {
    LogEvent(args);
    AddExitCallback(LogExitCallback);
    AddExitCallback(LogExitCallback);  // once only
    Log("created");
    StartMode(Environment("TAVRIN_TEST_MODE"));
    return std::nullopt;
}

EventResult OnMoved(const EventArgs&) {
    Log("moved " + std::to_string(GetNumberProperty(tw::kWindow, tw::kWindow, 0)) + " " +
        std::to_string(GetNumberProperty(tw::kWindow, tw::kWindow, 1)));
    return std::nullopt;
}

// Pressing the background moves the window, as a caption would.
EventResult OnBackgroundPressed(const EventArgs& args) {
    LogEvent(args);
    ReleaseCapture();
    SendWindowMessage(tw::kWindow, tw::kWindow, WM_NCLBUTTONDOWN, HTCAPTION, 0);
    return std::nullopt;
}

EventResult OnCheckClicked(const EventArgs& args) {
    LogEvent(args);
    Log("checked " + std::to_string(GetNumberProperty(tw::kWindow, tw::kCheckButton, 10)));
    return std::nullopt;
}

EventResult OnCloseClicked(const EventArgs& args) {
    LogEvent(args);
    ShutDown(0);
    return std::nullopt;
}

EventResult OnCloseQuery(const EventArgs& args) {
    LogEvent(args);
    return 0;  // the window never closes by itself
}

EventResult OnResized(const EventArgs& args) { return LogEvent(args), std::nullopt; }
EventResult OnShown(const EventArgs& args) { return LogEvent(args), std::nullopt; }
EventResult OnHidden(const EventArgs& args) { return LogEvent(args), std::nullopt; }
EventResult OnDestroying(const EventArgs& args) { return LogEvent(args), std::nullopt; }
EventResult OnPagePressed(const EventArgs& args) { return LogEvent(args), std::nullopt; }
EventResult OnButtonClicked(const EventArgs& args) { return LogEvent(args), std::nullopt; }
EventResult OnCloseRequested(const EventArgs& args) { return LogEvent(args), std::nullopt; }
EventResult OnUserEvent(const EventArgs& args) { return LogEvent(args), std::nullopt; }

DeclaredFunctionCache& ProgramDeclaredFunctions() {
    static DeclaredFunctionCache cache({});
    return cache;
}

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) { RunProgram({tw::kWindow, nullptr}); }
