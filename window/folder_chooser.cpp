#include "window/folder_chooser.h"

#include <shobjidl.h>

#include "controls/edit_box.h"
#include "controls/window_operations.h"
#include "frame/core/event.h"
#include "layout_ids.h"
#include "services/codepage.h"
#include "services/handle.h"

namespace op = layout::options_panel;

namespace {

constexpr unsigned kFolderDialogVersion = 0x0600;
constexpr int kEditContent = OwnProperty(EditBox::kContent);

// Written once at start-up by the user-interface thread, read by it later.
unsigned systemVersion = 0;

// The version fields of the process environment block, which the thread
// block points to: at fs:0x30 in a 32-bit process, at gs:0x60 in a 64-bit one
// (the suite's build on hosts without 32-bit code).
#if defined(__x86_64__)
constexpr std::size_t kMajorVersionOffset = 0x118, kMinorVersionOffset = 0x11C;

const std::uint8_t* ProcessEnvironmentBlock() {
    const std::uint8_t* block;
    asm("movq %%gs:0x60, %0" : "=r"(block));
    return block;
}
#else
constexpr std::size_t kMajorVersionOffset = 0xA4, kMinorVersionOffset = 0xA8;

const std::uint8_t* ProcessEnvironmentBlock() {
    const std::uint8_t* block;
    asm("movl %%fs:0x30, %0" : "=r"(block));
    return block;
}
#endif

}  // namespace

void RecordSystemVersion() {
    const std::uint8_t* block = ProcessEnvironmentBlock();
    ULONG major = *reinterpret_cast<const ULONG*>(block + kMajorVersionOffset);
    ULONG minor = *reinterpret_cast<const ULONG*>(block + kMinorVersionOffset);
    systemVersion = (major & 0xFF) << 8 | (minor & 0xFF);
}

unsigned SystemVersion() { return systemVersion; }

int ShowFileDialog(FileDialogMode, const std::wstring& title, HWND owner, std::vector<std::wstring>& results) {
    if (systemVersion < kFolderDialogVersion) return 0;
    results.clear();
    HRESULT initialised = CoInitialize(nullptr);
    {
        ComRef<IFileOpenDialog> dialog;
        if (SUCCEEDED(CoCreateInstance(CLSID_FileOpenDialog, nullptr, CLSCTX_INPROC_SERVER, IID_IFileOpenDialog,
                                       dialog.putVoid())) &&
            dialog) {
            FILEOPENDIALOGOPTIONS options = 0;
            dialog->GetOptions(&options);
            dialog->SetOptions(options | FOS_PICKFOLDERS);
            if (!title.empty()) dialog->SetTitle(title.c_str());
            dialog->Show(owner);  // a cancelled dialog simply has no result
            ComRef<IShellItem> item;
            if (SUCCEEDED(dialog->GetResult(item.put())) && item) {
                wchar_t* path = nullptr;
                if (SUCCEEDED(item->GetDisplayName(SIGDN_FILESYSPATH, &path)) && path) {
                    results.emplace_back(path);
                    CoTaskMemFree(path);
                }
            }
        }
    }
    if (SUCCEEDED(initialised)) CoUninitialize();
    return static_cast<int>(results.size());
}

Text PickFolder(std::string_view title, HWND owner) {
    std::vector<std::wstring> results;
    int count = ShowFileDialog(FileDialogMode::PickFolder, ToWideText(title, kChineseCodePage), owner, results);
    return FromWideText(count > 0 ? results.front() : std::wstring(), kChineseCodePage);
}

// The folder icon's handler: a cancelled dialog puts the default folder back.
EventResult ChooseInstallFolder(const EventArgs&) {
    SetProperty(op::kWindow, op::kFolderEdit, kEditContent, PickFolder("选择安装路径", nullptr));
    if (GetTextProperty(op::kWindow, op::kFolderEdit, kEditContent).empty())
        SetProperty(op::kWindow, op::kFolderEdit, kEditContent, Text(kDefaultInstallFolder));
    return std::nullopt;
}
