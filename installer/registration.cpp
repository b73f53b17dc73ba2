#include "installer/registration.h"

#include <windows.h>

#include <algorithm>

#include "installer/core/registration.h"
#include "installer/install_folder.h"
#include "services/registry.h"
#include "services/version_info.h"

namespace {

constexpr int kLocalMachine = 4;

}  // namespace

void RegisterProduct() {
    Text folder = InstallFolderText(FolderField());
    Text client = JoinPath(folder, "tavrin.exe");
    FileVersionInfo version;
    ReadVersionInfo(client, version);
    SYSTEMTIME today{};
    GetLocalTime(&today);
    InstalledProduct product{folder,      version.fileVersion, std::max<std::int64_t>(FileBytes(client), 0),
                             today.wYear, today.wMonth,        today.wDay};
    for (const RegistryEntry& entry : ProductRegistration(product)) {
        Text path = Text(kUninstallKey) + "\\" + entry.name;
        if (const auto* number = std::get_if<std::int32_t>(&entry.data))
            WriteRegistryValue(kLocalMachine, path, *number, RegistryView::Bits32);
        else
            WriteRegistryValue(kLocalMachine, path, std::get<Text>(entry.data), RegistryView::Bits32);
    }
}
