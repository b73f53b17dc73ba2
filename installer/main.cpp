// Entry of the installer: the frame runs the program from the layout of its
// windows; the main window's created event (start_up.cpp) starts the
// installer's own work.
#include <windows.h>

#include "frame/frame.h"
#include "installer/start_up.h"
#include "layout_ids.h"
#include "services/system_dlls.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    RestrictDllSearchToSystem();
    RunProgram({layout::main_window::kWindow, EnterInstaller});
}
