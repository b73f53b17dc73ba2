// Entry of the installer: the frame runs the program from the layout of its
// windows; the main window's created event starts the installer's own work.
#include <windows.h>

#include "controls/window_operations.h"
#include "frame/core/event.h"
#include "frame/frame.h"
#include "layout_ids.h"
#include "window/shadow.h"

namespace mw = layout::main_window;

namespace {

// The main window's drop shadow, read by the shadow module while the window lives.
ShadowInfo mainWindowShadow{MakeArgb(0, 0, 0, 50), 30.0f, 1, 1, 0, nullptr};

}  // namespace

EventResult OnMainWindowCreated(const EventArgs&) {
    if (ShadowRegisterClass()) ShadowAttach(GetWindowHandle(mw::kWindow, mw::kWindow), &mainWindowShadow);
    SetProcessDPIAware();
    return std::nullopt;
}

EventResult EndProgram(const EventArgs&) {
    ShutDown(0);
    return std::nullopt;
}

// The system's close request ends the program; the window never closes by itself.
EventResult OnMainWindowCloseQuery(const EventArgs& args) {
    EndProgram(args);
    return 0;
}

// Pressing the background moves the borderless window as a caption would.
EventResult DragMainWindow(const EventArgs&) {
    ReleaseCapture();
    SendWindowMessage(mw::kWindow, mw::kWindow, WM_NCLBUTTONDOWN, HTCAPTION, 0);
    return std::nullopt;
}

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) { RunProgram({mw::kWindow, nullptr}); }
