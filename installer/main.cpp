// Entry of the installer: the frame runs the program from the layout of its
// windows; the main window's created event (start_up.cpp) starts the
// installer's own work.
#include <windows.h>

#include "frame/frame.h"
#include "installer/start_up.h"
#include "layout_ids.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) { RunProgram({layout::main_window::kWindow, EnterInstaller}); }
