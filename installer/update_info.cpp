#include "installer/update_info.h"

#include "installer/program_state.h"
#include "services/ini.h"
#include "services/program.h"

// Set by the build (TAVRIN_CLIENT_URL, a CMake cache setting).
#ifndef TAVRIN_CLIENT_URL
#error "TAVRIN_CLIENT_URL must name the built-in download address"
#endif

void ReadUpdateInfo() {
    Installer().downloadAddress = ReadIniValue(GetProgramDir() + "/up.ini", "更新信息", "下载地址", TAVRIN_CLIENT_URL);
}

Text ClientDownloadUrl() {
    const Text& address = Installer().downloadAddress;
    return address.empty() ? Text(TAVRIN_CLIENT_URL) : address;
}
