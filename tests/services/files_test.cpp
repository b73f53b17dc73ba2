#include "services/files.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "services/codepage.h"
#include "services/core/convert.h"
#include "tests/support/temp_folder.h"

namespace {

bool Exists(const Text& path) { return GetFileAttributesW(ToWideText(path).c_str()) != INVALID_FILE_ATTRIBUTES; }

void WriteText(const Text& path, std::string_view text) {
    ASSERT_TRUE(WriteBytesToFile(path, {ToBytes(text)})) << path;
}

Bytes ReadAll(const Text& path) {
    HANDLE file =
        CreateFileW(ToWideText(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return {};
    Bytes data(GetFileSize(file, nullptr));
    DWORD read = 0;
    if (!data.empty()) ReadFile(file, data.data(), static_cast<DWORD>(data.size()), &read, nullptr);
    CloseHandle(file);
    return data;
}

TEST(DeleteFolderTree, RemovesNestedFoldersAndFiles) {
    TempFolder temp;
    Text root = temp / "旧版本";
    ASSERT_TRUE(CreateFolder(root));
    ASSERT_TRUE(CreateFolder(root + "\\子目录"));
    ASSERT_TRUE(CreateFolder(root + "\\子目录\\更深"));
    WriteText(root + "\\tavrin.exe", "x");
    WriteText(root + "\\子目录\\更深\\说明.txt", "y");
    EXPECT_TRUE(DeleteFolderTree(root));
    EXPECT_FALSE(Exists(root));
}

TEST(DeleteFolderTree, LeavesDotEntriesAndThenKeepsTheFolder) {
    TempFolder temp;
    Text root = temp / "folder";
    ASSERT_TRUE(CreateFolder(root));
    WriteText(root + "\\.keep", "k");
    WriteText(root + "\\other.txt", "o");
    EXPECT_FALSE(DeleteFolderTree(root));
    EXPECT_TRUE(Exists(root + "\\.keep"));
    EXPECT_FALSE(Exists(root + "\\other.txt"));
    DeleteFileW(ToWideText(root + "\\.keep").c_str());  // so that the temporary folder can go
}

TEST(DeleteFolderTree, AcceptsATrailingBackslashAndLeadingSpaces) {
    TempFolder temp;
    Text root = temp / "x";
    ASSERT_TRUE(CreateFolder(root));
    EXPECT_TRUE(DeleteFolderTree("  " + root + "\\"));
    EXPECT_FALSE(Exists(root));
}

TEST(DeleteFolderTree, RefusesDriveRootsAndEmptyPaths) {
    // A marker in the (throwaway) prefix's C: root shows that nothing was touched.
    const Text marker = "C:\\tavrin_root_marker.txt";
    WriteText(marker, "must stay");
    for (const char* root : {"C:", "C:\\", "c:\\\\", "  C:\\", "", "   "}) EXPECT_FALSE(DeleteFolderTree(root)) << root;
    EXPECT_TRUE(Exists(marker));
    DeleteFileW(ToWideText(marker).c_str());
}

TEST(DeleteFolderTree, ReportsAReadOnlyFileThatStays) {
    TempFolder temp;
    Text root = temp / "ro";
    ASSERT_TRUE(CreateFolder(root));
    WriteText(root + "\\locked.txt", "r");
    std::wstring locked = ToWideText(root + "\\locked.txt");
    SetFileAttributesW(locked.c_str(), FILE_ATTRIBUTE_READONLY);
    EXPECT_FALSE(DeleteFolderTree(root));
    EXPECT_TRUE(Exists(root + "\\locked.txt"));
    SetFileAttributesW(locked.c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST(CreateFolder, CreatesOneLevelOnly) {
    TempFolder temp;
    EXPECT_FALSE(CreateFolder(temp / "a\\b"));
    EXPECT_TRUE(CreateFolder(temp / "a"));
    EXPECT_FALSE(CreateFolder(temp / "a"));  // already there
    EXPECT_TRUE(CreateFolder(temp / "a\\b"));
}

TEST(WriteBytesToFile, WritesPartsInOrderAndTruncates) {
    TempFolder temp;
    Text file = temp / "卸载说明.txt";
    ASSERT_TRUE(WriteBytesToFile(file, {ToBytes(std::string_view("a long first version"))}));
    ASSERT_TRUE(WriteBytesToFile(file, {ToBytes(std::string_view("ab")), Bytes{}, ToBytes(std::string_view("中"))}));
    EXPECT_EQ(ReadAll(file), ToBytes(std::string_view("ab中")));
    EXPECT_FALSE(WriteBytesToFile("", {Bytes{1}}));
    EXPECT_FALSE(WriteBytesToFile(temp / "missing\\x.bin", {Bytes{1}}));
}

TEST(CopyFileOver, ReplacesTheDestination) {
    TempFolder temp;
    WriteText(temp / "source.exe", "new");
    WriteText(temp / "卸载.exe", "old contents");
    EXPECT_TRUE(CopyFileOver(temp / "source.exe", temp / "卸载.exe"));
    EXPECT_EQ(ReadAll(temp / "卸载.exe"), ToBytes(std::string_view("new")));
    EXPECT_FALSE(CopyFileOver(temp / "nothing.exe", temp / "x.exe"));
}

TEST(FindFile, FindsAChineseNameUnderAnyLocale) {
    TempFolder temp;
    WriteText(temp / "卸载.exe", "MZ");
    FileSearch search;
    EXPECT_EQ(FindFile(temp / "*.exe", 0, search), "卸载.exe");
    EXPECT_EQ(FindFile("", 0, search), "");
    EXPECT_FALSE(search.handle);  // the finished search closed itself
    // The name on disk is the real one, not a byte-for-byte copy of the 936 text.
    WIN32_FIND_DATAW entry;
    HANDLE find = FindFirstFileW(ToWideText(temp / "*.exe").c_str(), &entry);
    ASSERT_NE(find, INVALID_HANDLE_VALUE);
    EXPECT_STREQ(entry.cFileName, L"\u5378\u8f7d.exe");
    FindClose(find);
}

TEST(FindFile, FiltersByAttributesAndContinues) {
    TempFolder temp;
    WriteText(temp / "a.txt", "a");
    WriteText(temp / "b.txt", "b");
    ASSERT_TRUE(CreateFolder(temp / "sub"));
    FileSearch search;
    std::vector<Text> files;
    for (Text name = FindFile(temp / "*", 0, search); !name.empty(); name = FindFile("", 0, search))
        files.push_back(name);
    std::sort(files.begin(), files.end());
    EXPECT_EQ(files, (std::vector<Text>{"a.txt", "b.txt"}));

    std::vector<Text> folders;
    for (Text name = FindFile(temp / "*", FILE_ATTRIBUTE_DIRECTORY, search); !name.empty();
         name = FindFile("", FILE_ATTRIBUTE_DIRECTORY, search))
        if (name[0] != '.') folders.push_back(name);
    EXPECT_EQ(folders, (std::vector<Text>{"sub"}));

    EXPECT_EQ(FindFile(temp / "*.txt", 0, search).size(), 5u);
    CloseFind(search);
    EXPECT_FALSE(search.handle);
    EXPECT_EQ(FindFile("", 0, search), "");  // nothing to continue
    EXPECT_EQ(FindFile(temp / "*.none", 0, search), "");
}

}  // namespace

namespace {

// The entries of an access list in its text form, "(A;OICI;FA;;;SY)" each.
std::vector<Text> AccessEntries(const Text& sddl) {
    std::vector<Text> entries;
    for (std::size_t at = sddl.find('('); at != Text::npos; at = sddl.find('(', at + 1))
        entries.push_back(sddl.substr(at, sddl.find(')', at) - at + 1));
    std::sort(entries.begin(), entries.end());
    return entries;
}

}  // namespace

// Rights of an entry ("(A;OICI;FA;;;SY)" gives "FA") that let its holder
// change what the folder holds.
bool GrantsWriting(const Text& entry) {
    std::size_t first = entry.find(';'), second = entry.find(';', first + 1), third = entry.find(';', second + 1);
    Text rights = entry.substr(second + 1, third - second - 1);
    if (rights == "FA" || rights == "FW" || rights == "GA" || rights == "GW") return true;
    constexpr unsigned long kWriting = 0x2 | 0x4 | 0x10 | 0x40 | 0x100 | 0x10000 | 0x40000 | 0x80000;
    return rights.rfind("0x", 0) == 0 && (std::stoul(rights, nullptr, 16) & kWriting) != 0;
}

bool IsOthers(const Text& entry) {
    return entry.ends_with(";WD)") || entry.ends_with(";BU)") || entry.ends_with(";AU)");
}

// Wine keeps no access list on a file: it turns the list given into Unix
// mode bits and reads back one made of the owner, SYSTEM and Everyone (a
// folder made with the default list reads back with Everyone allowed in).
// What both show: other users get no entry that lets them write, and
// Everyone none at all.
TEST(CreateProtectedFolder, OtherUsersMayNotWriteThere) {
    TempFolder temp;
    Text folder = temp / "受保护";
    ASSERT_TRUE(CreateProtectedFolder(folder));
    Text access = FolderAccessText(folder);
    ASSERT_FALSE(access.empty());
    for (const Text& entry : AccessEntries(access)) {
        EXPECT_FALSE(IsOthers(entry) && GrantsWriting(entry)) << access;
        EXPECT_FALSE(entry.ends_with(";WD)")) << access;
    }
    EXPECT_FALSE(CreateProtectedFolder(folder));  // one that exists is not made again
}
