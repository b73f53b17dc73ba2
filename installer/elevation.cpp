#include "installer/elevation.h"

#include <windows.h>
#include <shellapi.h>

#include "services/codepage.h"
#include "services/program.h"

void RelaunchElevated() {
    const Text& folder = GetProgramDir();
    Text file = folder + "\\" + GetProgramFileName();
    ShellExecuteW(nullptr, L"runas", ToWideText(file, kChineseCodePage).c_str(), L"",
                  ToWideText(folder, kChineseCodePage).c_str(), SW_SHOWNORMAL);
}
