#include "services/shortcut.h"

#include <windows.h>
#include <objidl.h>
#include <shlobj.h>

#include "services/codepage.h"
#include "services/core/paths.h"
#include "services/handle.h"

bool CreateShortcut(std::string_view link, std::string_view target, std::optional<std::string_view> description,
                    std::optional<std::string_view> arguments, std::optional<std::string_view> workingFolder) {
    ComRef<IShellLinkW> shellLink;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW, shellLink.putVoid())))
        return false;
    shellLink->SetPath(ToWideText(target).c_str());
    shellLink->SetShowCmd(SW_SHOW);
    if (description && !description->empty()) shellLink->SetDescription(ToWideText(*description).c_str());
    // The caller either passes only link and target, or all five.
    if (description && arguments && workingFolder) {
        if (!arguments->empty()) shellLink->SetArguments(ToWideText(*arguments).c_str());
        if (!workingFolder->empty()) shellLink->SetWorkingDirectory(ToWideText(*workingFolder).c_str());
    }
    ComRef<IPersistFile> file;
    if (FAILED(shellLink->QueryInterface(IID_IPersistFile, file.putVoid()))) return false;
    return SUCCEEDED(file->Save(ToWideText(ShortcutFileName(link)).c_str(), TRUE));
}
