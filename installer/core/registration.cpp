#include "installer/core/registration.h"

#include <cstdio>

#include "installer/core/install_folder.h"

namespace {

Text Quoted(std::string_view text) { return "\"" + Text(text) + "\""; }

Text DateText(int year, int month, int day) {
    char text[16];
    std::snprintf(text, sizeof text, "%04d%02d%02d", year % 10000, month % 100, day % 100);
    return text;
}

}  // namespace

std::vector<RegistryEntry> ProductRegistration(const InstalledProduct& product) {
    Text folder = InstallFolderText(product.folder);
    Text uninstaller = JoinPath(folder, "卸载.exe");
    std::int64_t kibibytes = (product.installedBytes + 1023) / 1024;
    return {
        {"DisplayName", Text(kDisplayName)},
        {"DisplayVersion", product.fileVersion.empty() ? Text("1.0.0.0") : product.fileVersion},
        {"Publisher", Text("tavrin")},
        {"DisplayIcon", JoinPath(folder, "tavrin.exe")},
        {"InstallLocation", folder},
        {"UninstallString", Quoted(uninstaller)},
        {"QuietUninstallString", Quoted(uninstaller) + " /S"},
        {"NoModify", 1},
        {"NoRepair", 1},
        {"EstimatedSize", static_cast<std::int32_t>(kibibytes > 0x7FFFFFFF ? 0x7FFFFFFF : kibibytes)},
        {"InstallDate", DateText(product.year, product.month, product.day)},
    };
}
