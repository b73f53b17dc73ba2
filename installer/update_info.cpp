#include "installer/update_info.h"

#include "installer/program_state.h"
#include "services/ini.h"
#include "services/program.h"

// Set by the build (TAVRIN_CLIENT_URL, a CMake cache setting).
#ifndef TAVRIN_CLIENT_URL
#error "TAVRIN_CLIENT_URL must name the built-in download address"
#endif
#ifndef TAVRIN_CLIENT_SHA256
#error "TAVRIN_CLIENT_SHA256 must be defined (empty: the built-in download is not checked)"
#endif

void ReadUpdateInfo() {
    InstallerState& state = Installer();
    Text file = GetProgramDir() + "/up.ini";
    state.downloadAddress = ReadIniValue(file, "更新信息", "下载地址", TAVRIN_CLIENT_URL);
    bool builtInAddress = ClientDownloadUrl() == TAVRIN_CLIENT_URL;
    state.clientDigest =
        ChooseExpectedDigest(ReadIniValue(file, "更新信息", "SHA256"), TAVRIN_CLIENT_SHA256, builtInAddress);
}

Text ClientDownloadUrl() {
    const Text& address = Installer().downloadAddress;
    return address.empty() ? Text(TAVRIN_CLIENT_URL) : address;
}
