#include "services/shortcut.h"

#include <windows.h>
#include <objidl.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include "services/codepage.h"
#include "services/files.h"
#include "services/handle.h"
#include "tests/support/temp_folder.h"

namespace {

struct ComScope {
    ComScope() { CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); }
    ~ComScope() { CoUninitialize(); }
};

// The target a saved link resolves to, read back through the shell.
Text LinkTarget(const Text& linkFile, std::wstring* description = nullptr) {
    ComRef<IShellLinkW> link;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW, link.putVoid())))
        return "<no shell link object>";
    ComRef<IPersistFile> file;
    link->QueryInterface(IID_IPersistFile, file.putVoid());
    if (FAILED(file->Load(ToWideText(linkFile).c_str(), STGM_READ))) return "<not loadable>";
    // Resolve through the item list, as the shell does when the link is opened.
    LPITEMIDLIST items = nullptr;
    wchar_t path[MAX_PATH] = {};
    if (FAILED(link->GetIDList(&items)) || !items) return "<no item list>";
    SHGetPathFromIDListW(items, path);
    CoTaskMemFree(items);
    if (description) {
        wchar_t text[MAX_PATH] = {};
        link->GetDescription(text, MAX_PATH);
        *description = text;
    }
    return FromWideText(path);
}

bool Exists(const Text& path) { return GetFileAttributesW(ToWideText(path).c_str()) != INVALID_FILE_ATTRIBUTES; }

TEST(CreateShortcut, WritesALinkThatResolvesToItsTarget) {
    ComScope com;
    TempFolder temp;
    Text target = temp / "tavrin.exe";
    ASSERT_TRUE(WriteBytesToFile(target, {Bytes{'M', 'Z'}}));
    ASSERT_TRUE(CreateShortcut(temp / "Tavrin 端口映射", target));
    ASSERT_TRUE(Exists(temp / "Tavrin 端口映射.lnk"));
    EXPECT_EQ(LinkTarget(temp / "Tavrin 端口映射.lnk"), target);
}

// A desktop such as "C:\Users\john.smith\Desktop": the dot above the link
// says nothing of the link's own name.
TEST(CreateShortcut, ADotInAFolderAboveStillGetsTheSuffix) {
    ComScope com;
    TempFolder temp;
    ASSERT_TRUE(CreateFolder(temp / "john.smith"));
    Text target = temp / "tavrin.exe";
    ASSERT_TRUE(WriteBytesToFile(target, {Bytes{'M', 'Z'}}));
    ASSERT_TRUE(CreateShortcut(temp / "john.smith\\link", target));
    EXPECT_TRUE(Exists(temp / "john.smith\\link.lnk"));
    EXPECT_FALSE(Exists(temp / "john.smith\\link"));
    EXPECT_EQ(LinkTarget(temp / "john.smith\\link.lnk"), target);
}

TEST(CreateShortcut, StoresTheDescription) {
    ComScope com;
    TempFolder temp;
    Text target = temp / "tavrin.exe";
    ASSERT_TRUE(WriteBytesToFile(target, {Bytes{'M', 'Z'}}));
    ASSERT_TRUE(CreateShortcut(temp / "described", target, "端口映射", "", ""));
    std::wstring description;
    EXPECT_EQ(LinkTarget(temp / "described.lnk", &description), target);
    EXPECT_EQ(description, ToWideText("端口映射"));
}

TEST(CreateShortcut, FailsWhereTheLinkCannotBeSaved) {
    ComScope com;
    TempFolder temp;
    EXPECT_FALSE(CreateShortcut(temp / "missing\\link", temp / "tavrin.exe"));
}

}  // namespace
