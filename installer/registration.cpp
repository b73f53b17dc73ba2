#include "installer/registration.h"

#include <windows.h>

#include <algorithm>

#include "installer/core/registration.h"
#include "installer/install_folder.h"
#include "services/registry.h"
#include "services/version_info.h"

namespace {

constexpr int kLocalMachine = 4;

// Every file the installation wrote into the folder.
std::int64_t InstalledBytes(const Text& folder) {
    std::int64_t total = 0;
    for (const char* name : {"tavrin.exe", "Uninstall.bat", "卸载说明.txt", "卸载.exe"})
        total += std::max<std::int64_t>(FileBytes(JoinPath(folder, name)), 0);
    return total;
}

}  // namespace

bool RegisterProduct(const Text& folder) {
    Text client = JoinPath(folder, "tavrin.exe");
    FileVersionInfo version;
    ReadVersionInfo(client, version);
    SYSTEMTIME today{};
    GetLocalTime(&today);
    InstalledProduct product{folder,      version.fileVersion, InstalledBytes(folder),
                             today.wYear, today.wMonth,        today.wDay};
    bool all = true;
    for (const RegistryEntry& entry : ProductRegistration(product)) {
        Text path = Text(kUninstallKey) + "\\" + entry.name;
        if (const auto* number = std::get_if<std::int32_t>(&entry.data))
            all = WriteRegistryValue(kLocalMachine, path, *number, RegistryView::Bits32) && all;
        else
            all = WriteRegistryValue(kLocalMachine, path, std::get<Text>(entry.data), RegistryView::Bits32) && all;
    }
    return all;
}
