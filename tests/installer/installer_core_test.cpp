// The installer's decisions that need no Windows: start mode, single-instance
// key, progress text, folder texts and choice, registry values, the two
// uninstall texts, the client's expected digest.
#include <gtest/gtest.h>

#include <cctype>
#include <fstream>
#include <iterator>
#include <string>

#include "installer/core/client_digest.h"
#include "installer/core/client_image.h"
#include "installer/core/install_folder.h"
#include "installer/core/instance_key.h"
#include "installer/core/progress.h"
#include "installer/core/registration.h"
#include "installer/core/start_mode.h"
#include "installer/core/uninstall_texts.h"

namespace {

// Code page 936 characters whose trail byte is "\" (昞) and "|" (晐).
const std::string kTrailBackslash = "\x95\x5c", kTrailBar = "\x95\x7c";

TEST(StartMode, FileNameAndQuietSwitch) {
    struct Row {
        const char* fileName;
        const char* arguments;
        StartMode mode;
    } rows[] = {
        {"tavrin-setup.exe", "", StartMode::Install},     {"tavrin-setup.exe", "/S", StartMode::Install},
        {"卸载.exe", "", StartMode::Uninstall},           {"卸载.exe", "/S", StartMode::QuietUninstall},
        {"卸载.exe", "/s", StartMode::QuietUninstall},    {"卸载.exe", "  x\t/S ", StartMode::QuietUninstall},
        {"卸载.exe", "/Silent", StartMode::Uninstall},    {"卸载.exe", "a/S", StartMode::Uninstall},
        {"Tavrin卸载工具.EXE", "", StartMode::Uninstall}, {"卸.exe", "", StartMode::Install},
    };
    for (const Row& row : rows)
        EXPECT_EQ(StartModeOf(row.fileName, row.arguments), row.mode) << row.fileName << " " << row.arguments;
}

TEST(SingleInstanceKey, SixteenLowerCaseDigitsFromTheNinth) {
    // MD5 of the empty text: d41d8cd98f00b204e9800998ecf8427e.
    std::array<std::uint8_t, 16> digest{0xd4, 0x1d, 0x8c, 0xd9, 0x8f, 0x00, 0xb2, 0x04,
                                        0xe9, 0x80, 0x09, 0x98, 0xec, 0xf8, 0x42, 0x7e};
    EXPECT_EQ(SingleInstanceKey(digest), "8f00b204e9800998");
    digest.fill(0xAB);
    EXPECT_EQ(SingleInstanceKey(digest), "abababababababab");
}

TEST(ProgressNotice, RoundsHalfAwayFromZeroAndNeverShows100) {
    struct Row {
        std::int64_t received, size;
        const char* text;
    } rows[] = {
        {0, 100, "正在下载新版本，进度：0 %"},
        {42, 100, "正在下载新版本，进度：42 %"},
        {1, 200, "正在下载新版本，进度：1 %"},
        {2, 3, "正在下载新版本，进度：67 %"},
        {198, 200, "正在下载新版本，进度：99 %"},
        {199, 200, ""},
        {100, 100, ""},
        {5, 0, ""},
        {1999999999, 2000000000, ""},
    };
    for (const Row& row : rows) EXPECT_EQ(ProgressNotice(row.received, row.size), row.text) << row.received;
}

TEST(InstallFolder, TextHasExactlyOneTrailingBackslash) {
    struct Row {
        std::string field, folder;
    } rows[] = {
        {"C:\\Program Files (x86)\\tavrin", "C:\\Program Files (x86)\\tavrin\\"},
        {"C:\\Program Files (x86)\\tavrin\\", "C:\\Program Files (x86)\\tavrin\\"},
        {"C:\\a\\\\\\", "C:\\a\\"},
        {"D:/apps/tavrin", "D:\\apps\\tavrin\\"},
        {"C:\\" + kTrailBackslash, "C:\\" + kTrailBackslash + "\\"},
    };
    for (const Row& row : rows) EXPECT_EQ(InstallFolderText(row.field), row.folder) << row.field;
    EXPECT_EQ(JoinPath("C:\\a\\\\", "tavrin.exe"), "C:\\a\\tavrin.exe");
    EXPECT_EQ(JoinPath("C:\\a", "卸载.exe"), "C:\\a\\卸载.exe");
}

TEST(InstallFolder, LevelsParentFirstWithoutEmptyOnes) {
    EXPECT_EQ(FolderLevels("C:\\a\\b\\"), (std::vector<Text>{"C:\\a", "C:\\a\\b"}));
    EXPECT_EQ(FolderLevels("C:/a//b"), (std::vector<Text>{"C:\\a", "C:\\a\\b"}));
    EXPECT_EQ(FolderLevels("C:\\"), std::vector<Text>{});
    EXPECT_EQ(FolderLevels("C:\\" + kTrailBackslash + "\\x\\"),
              (std::vector<Text>{"C:\\" + kTrailBackslash, "C:\\" + kTrailBackslash + "\\x"}));
}

TEST(InstallFolder, OnlyDriveLetterPathsWithoutReservedCharacters) {
    struct Row {
        std::string folder;
        bool usable;
    } rows[] = {
        {"C:\\Program Files (x86)\\tavrin", true},
        {"d:/apps", true},
        {"C:\\", true},
        {"C:\\" + kTrailBar, true},
        {"C:", false},
        {"tavrin", false},
        {"\\\\server\\share", false},
        {"1:\\a", false},
        {"C:\\a|b", false},
        {"C:\\a*", false},
        {"C:\\a\\b:c", false},
        {"C:\\a\tb", false},
        {"", false},
    };
    for (const Row& row : rows) EXPECT_EQ(IsUsableFolderText(row.folder), row.usable) << row.folder;
}

// What a typed folder resolves to, as Windows would resolve it, and whether
// it is taken. Resolved texts are compared as they would be written to disk.
TEST(InstallFolder, TextsAsResolvedAndWhetherTaken) {
    const std::vector<Text> kept = {"C:\\Windows", "C:\\Users\\john.smith", "C:\\Users\\john.smith\\Desktop",
                                    "C:\\Users\\john.smith\\Documents\\", "C:\\Users\\john.smith\\Downloads"};
    struct Row {
        std::string typed, resolved;
        bool taken;
    } rows[] = {
        {"C:\\Program Files (x86)\\tavrin", "C:\\Program Files (x86)\\tavrin", true},
        {"d:/apps//tavrin/", "d:\\apps\\tavrin", true},
        {"D:\\tavrin. . ", "D:\\tavrin", true},
        {"D:\\a\\.\\b\\..\\tavrin", "D:\\a\\tavrin", true},
        {"C:\\Users\\john.smith\\Desktop\\tavrin", "C:\\Users\\john.smith\\Desktop\\tavrin", true},
        {"C:\\" + kTrailBackslash + "\\x", "C:\\" + kTrailBackslash + "\\x", true},
        // Each of these is the drive root to Windows.
        {"C:\\", "C:\\", false},
        {"C:\\ ", "C:\\", false},
        {"C:\\.", "C:\\", false},
        {"C:\\x\\..", "C:\\", false},
        {"C:\\..\\..", "C:\\", false},
        {"C:/ . /", "C:\\", false},
        // The last name is the one left after "." and "..".
        {"C:\\x.\\.", "C:\\x", true},
        {"C:\\x \\y\\..", "C:\\x", true},
        {"i://=.//.", "i:\\=", true},
        {"C:\\x.\\ .", "C:\\x", true},
        // The protected folders, in any case and with trailing separators.
        {"c:\\windows\\", "c:\\windows", false},
        {"C:\\Users\\John.Smith", "C:\\Users\\John.Smith", false},
        {"C:\\Users\\john.smith\\Desktop\\x\\..", "C:\\Users\\john.smith\\Desktop", false},
        {"C:\\Users\\john.smith\\documents", "C:\\Users\\john.smith\\documents", false},
        {"C:\\Users\\john.smith\\Downloads.", "C:\\Users\\john.smith\\Downloads", false},
        // Names the uninstall script cannot carry, and names Windows would
        // read otherwise than written.
        {"C:\\a&calc", "C:\\a&calc", false},
        {"C:\\it's", "C:\\it's", false},
        {"C:\\a[1]", "C:\\a[1]", false},
        {"C:\\a`b", "C:\\a`b", false},
        {"C:\\%TEMP%", "C:\\%TEMP%", false},
        {"C:\\a!b!", "C:\\a!b!", false},
        {"C:\\a^b", "C:\\a^b", false},
        {"C:\\\xA1\xAEx\xA1\xAF", "C:\\\xA1\xAEx\xA1\xAF", false},
        {"C:\\x \\tavrin", "C:\\x \\tavrin", false},
        {"C:\\x.\\tavrin", "C:\\x.\\tavrin", false},
        {"C:\\a|b", "C:\\a|b", false},
        {"C:tavrin", "", false},
        {"\\\\?\\C:\\tavrin", "", false},
        {"\\\\server\\share", "", false},
        {"", "", false},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(ResolveFolderText(row.typed), row.resolved) << row.typed;
        std::optional<Text> taken = AcceptedFolder(row.typed, kept);
        EXPECT_EQ(taken.has_value(), row.taken) << row.typed;
        if (taken) {
            EXPECT_EQ(*taken, row.resolved) << row.typed;
        }
    }
}

TEST(InstallFolder, ChoiceKeepsOtherPeoplesFiles) {
    const FolderContents missing{}, empty{true, false}, someonesFiles{true, true},
        installation{true, true, true, true, false}, installationByScript{true, true, true, false, true},
        clientAlone{true, true, true, false, false}, leftOver{true, true, true, false, false, 1},
        clientAmongOthers{true, true, true, false, false, 2};
    struct Row {
        bool driveRoot;
        FolderContents chosen, subfolder;
        FolderChoice choice;
    } rows[] = {
        {false, missing, missing, FolderChoice::AsChosen},
        {false, empty, missing, FolderChoice::AsChosen},
        {false, installation, someonesFiles, FolderChoice::AsChosen},
        {false, installationByScript, missing, FolderChoice::AsChosen},
        {false, someonesFiles, missing, FolderChoice::Subfolder},
        {false, someonesFiles, empty, FolderChoice::Subfolder},
        {false, someonesFiles, installation, FolderChoice::Subfolder},
        {false, clientAlone, missing, FolderChoice::Subfolder},
        {false, leftOver, missing, FolderChoice::AsChosen},
        {false, clientAmongOthers, missing, FolderChoice::Subfolder},
        {false, someonesFiles, leftOver, FolderChoice::Subfolder},
        {false, someonesFiles, someonesFiles, FolderChoice::Refused},
        {false, someonesFiles, clientAlone, FolderChoice::Refused},
        {true, empty, missing, FolderChoice::Subfolder},
        {true, installation, missing, FolderChoice::Subfolder},
        {true, someonesFiles, someonesFiles, FolderChoice::Refused},
    };
    int row = 0;
    for (const Row& r : rows) EXPECT_EQ(ChooseInstallFolder(r.driveRoot, r.chosen, r.subfolder), r.choice) << row++;
}

Text TextOf(const RegistryEntry& entry) { return std::get<Text>(entry.data); }

TEST(ProductRegistration, ValuesInOrderWithoutDoubledBackslashes) {
    auto entries = ProductRegistration({"C:\\Program Files (x86)\\tavrin\\\\", "2.4.1.0", 1025, 2026, 12, 9});
    std::vector<Text> names;
    for (const RegistryEntry& entry : entries) names.push_back(entry.name);
    EXPECT_EQ(names, (std::vector<Text>{"DisplayName", "DisplayVersion", "Publisher", "DisplayIcon", "InstallLocation",
                                        "UninstallString", "QuietUninstallString", "NoModify", "NoRepair",
                                        "EstimatedSize", "InstallDate"}));
    EXPECT_EQ(TextOf(entries[0]), "Tavrin 端口映射");
    EXPECT_EQ(TextOf(entries[1]), "2.4.1.0");
    EXPECT_EQ(TextOf(entries[2]), "tavrin");
    EXPECT_EQ(TextOf(entries[3]), "C:\\Program Files (x86)\\tavrin\\tavrin.exe");
    EXPECT_EQ(TextOf(entries[4]), "C:\\Program Files (x86)\\tavrin\\");
    EXPECT_EQ(TextOf(entries[5]), "\"C:\\Program Files (x86)\\tavrin\\卸载.exe\"");
    EXPECT_EQ(TextOf(entries[6]), "\"C:\\Program Files (x86)\\tavrin\\卸载.exe\" /S");
    EXPECT_EQ(std::get<std::int32_t>(entries[7].data), 1);
    EXPECT_EQ(std::get<std::int32_t>(entries[8].data), 1);
    EXPECT_EQ(std::get<std::int32_t>(entries[9].data), 2);  // KiB, rounded up
    EXPECT_EQ(TextOf(entries[10]), "20261209");
}

TEST(ProductRegistration, ClientWithoutVersionAndSizesInKibibytes) {
    auto entries = ProductRegistration({"D:\\t", "", 1024, 2027, 1, 5});
    EXPECT_EQ(TextOf(entries[1]), "1.0.0.0");
    EXPECT_EQ(TextOf(entries[3]), "D:\\t\\tavrin.exe");
    EXPECT_EQ(std::get<std::int32_t>(entries[9].data), 1);
    EXPECT_EQ(TextOf(entries[10]), "20270105");
    EXPECT_EQ(std::get<std::int32_t>(ProductRegistration({"D:\\t", "", 0, 2027, 1, 5})[9].data), 0);
}

std::string Stored(const char* name) {
    std::ifstream file(std::string(TAVRIN_SOURCE_DIR "/installer/texts/") + name, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), {}};
}

void ExpectWindowsText(std::string_view text, std::size_t size, std::size_t lines, std::string_view last) {
    EXPECT_EQ(text.size(), size);
    EXPECT_NE(text.substr(0, 3), "\xEF\xBB\xBF");
    EXPECT_EQ(text.back() == '\0', false);
    EXPECT_EQ(text.substr(text.size() - last.size()), last);
    std::size_t breaks = 0;
    for (std::size_t at = 0; at < text.size(); ++at)
        if (text[at] == '\n') {
            ++breaks;
            EXPECT_TRUE(at > 0 && text[at - 1] == '\r') << "a line end without CR at " << at;
        }
    EXPECT_EQ(breaks + 1, lines);
}

TEST(UninstallTexts, EmbeddedByteForByte) {
    std::string_view script(reinterpret_cast<const char*>(UninstallScript().data()), UninstallScript().size());
    std::string_view notes(reinterpret_cast<const char*>(UninstallInstructions().data()),
                           UninstallInstructions().size());
    ExpectWindowsText(script, 4722, 153, "\r\ntimeout /t 5 >nul\r\nexit");
    ExpectWindowsText(notes, 403, 16, "\r\n===========================================");
    EXPECT_EQ(script.substr(0, 11), "@echo off\r\n");
    EXPECT_NE(script.find("echo    Tavrin 卸载程序\r\n"), std::string_view::npos);  // code page 936 bytes
    EXPECT_EQ(notes.substr(0, 16), std::string_view("卸载方法如下：\r\n"));
    EXPECT_EQ(script, Stored("uninstall_script.bat"));
    EXPECT_EQ(notes, Stored("uninstall_instructions.txt"));
}

// SHA-256 of "abc".
const char* kAbc = "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad";

TEST(ClientDigest, ParsesSixtyFourHexDigitsOfEitherCase) {
    std::optional<Sha256> lower = ParseSha256(kAbc);
    ASSERT_TRUE(lower);
    EXPECT_EQ((*lower)[0], 0xba);
    EXPECT_EQ((*lower)[31], 0xad);
    std::string upper = kAbc;
    for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    EXPECT_EQ(ParseSha256(" \t" + upper + " \r\n"), lower);
    std::string text = kAbc;
    for (const std::string& bad : {text.substr(1), text + "0", text.substr(0, 63) + "g", std::string(),
                                   text.substr(0, 32) + " " + text.substr(32, 31)})
        EXPECT_FALSE(ParseSha256(bad)) << bad;
}

TEST(ClientDigest, WhichDigestTheDownloadMustMatch) {
    std::optional<Sha256> abc = ParseSha256(kAbc);
    // Nothing given: no check, whatever arrived.
    ExpectedDigest none = ChooseExpectedDigest("", "", true);
    EXPECT_FALSE(none.required);
    EXPECT_TRUE(DigestMatches(none, std::nullopt));
    // From up.ini; it wins over the built-in one.
    ExpectedDigest fromIni = ChooseExpectedDigest(kAbc, std::string(64, '0'), true);
    EXPECT_TRUE(fromIni.required);
    EXPECT_TRUE(DigestMatches(fromIni, abc));
    EXPECT_FALSE(DigestMatches(fromIni, ParseSha256(std::string(64, '0'))));
    EXPECT_FALSE(DigestMatches(fromIni, std::nullopt));  // the file could not be read
    // The built-in digest belongs to the built-in address only.
    EXPECT_TRUE(ChooseExpectedDigest("  ", kAbc, true).required);
    EXPECT_TRUE(DigestMatches(ChooseExpectedDigest("", kAbc, true), abc));
    EXPECT_FALSE(ChooseExpectedDigest("", kAbc, false).required);
    // A value that is no digest asks for a check that nothing passes.
    ExpectedDigest broken = ChooseExpectedDigest("not-a-digest", "", false);
    EXPECT_TRUE(broken.required);
    EXPECT_FALSE(DigestMatches(broken, abc));
}

}  // namespace

namespace {

// The first bytes of an image: DOS header with its PE offset, signature,
// file header and the optional header's magic.
Bytes ImageHead(std::uint16_t machine, std::uint16_t characteristics, std::uint16_t magic, std::uint32_t pe = 0x80) {
    Bytes head(512, 0);
    auto put = [&](std::size_t at, std::uint32_t value, int count) {
        for (int i = 0; i < count && at + i < head.size(); ++i)
            head[at + i] = static_cast<std::uint8_t>(value >> 8 * i);
    };
    put(0, 'M' | 'Z' << 8, 2);
    put(0x3C, pe, 4);
    put(pe, 0x00004550, 4);
    put(pe + 4, machine, 2);
    put(pe + 20, 0xE0, 2);  // size of the optional header
    put(pe + 22, characteristics, 2);
    put(pe + 24, magic, 2);
    return head;
}

}  // namespace

TEST(ClientImage, OnlyWindowsProgramsOfTheTwoCommonMachines) {
    Bytes cutShort = ImageHead(0x014C, 0x0102, 0x010B);
    cutShort.resize(0x80 + 20);
    std::string html = "<!DOCTYPE html><html><body>404 Not Found</body></html>" + std::string(100, ' ');
    struct Row {
        const char* what;
        Bytes head;
        bool program;
    } rows[] = {
        {"i386 program", ImageHead(0x014C, 0x0102, 0x010B), true},
        {"x86-64 program", ImageHead(0x8664, 0x0022, 0x020B), true},
        {"i386 DLL", ImageHead(0x014C, 0x2102, 0x010B), false},
        {"not executable (an object left by a failed link)", ImageHead(0x014C, 0x0100, 0x010B), false},
        {"ARM64 program", ImageHead(0xAA64, 0x0022, 0x020B), false},
        {"i386 with a 64-bit optional header", ImageHead(0x014C, 0x0102, 0x020B), false},
        {"PE offset past the bytes read", ImageHead(0x014C, 0x0102, 0x010B, 600), false},
        {"PE offset inside the DOS header", ImageHead(0x014C, 0x0102, 0x010B, 0x20), false},
        {"PE header cut short", cutShort, false},
        {"an HTML error page", Bytes(html.begin(), html.end()), false},
        {"nothing", Bytes{}, false},
    };
    for (const Row& row : rows) EXPECT_EQ(IsWindowsProgramImage(row.head), row.program) << row.what;
    Bytes noSignature = ImageHead(0x014C, 0x0102, 0x010B);
    noSignature[0x81] = 'X';
    EXPECT_FALSE(IsWindowsProgramImage(noSignature));
}
