#include "installer/core/install_folder.h"

#include "services/core/paths.h"
#include "services/core/text.h"

namespace {

bool IsDriveLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// Where the character at `at` ends: a lead byte takes the byte after it along,
// so a trail byte 0x5C or 0x7C is never taken for "\" or "|".
std::size_t CharEnd(std::string_view text, std::size_t at) {
    return IsLeadByte(static_cast<unsigned char>(text[at])) && at + 1 < text.size() ? at + 2 : at + 1;
}

Text WithBackslashes(std::string_view text) {
    Text out(text);
    for (char& c : out)
        if (c == '/') c = '\\';
    return out;
}

// The text without its trailing backslashes; a trail byte 0x5C of a
// double-byte character is not one.
Text WithoutTrailingBackslashes(std::string_view text) {
    std::size_t keep = 0;
    for (std::size_t at = 0; at < text.size(); at = CharEnd(text, at))
        if (text[at] != '\\') keep = CharEnd(text, at);
    return Text(text.substr(0, keep));
}

// The names between separators, as the text has them.
std::vector<Text> NamesOf(std::string_view text) {
    std::vector<Text> names;
    std::size_t at = 0;
    while (at < text.size()) {
        std::size_t end = at;
        while (end < text.size() && text[end] != '\\' && text[end] != '/') end = CharEnd(text, end);
        if (end > at) names.emplace_back(text.substr(at, end - at));
        at = end + 1;
    }
    return names;
}

// Blanks and dots at the end of a name; a trail byte is never one.
Text WithoutTrailingBlanksAndDots(std::string_view name) {
    std::size_t keep = 0;
    for (std::size_t at = 0; at < name.size(); at = CharEnd(name, at))
        if (name[at] != ' ' && name[at] != '.') keep = CharEnd(name, at);
    return Text(name.substr(0, keep));
}

bool EndsInBlankOrDot(std::string_view name) {
    return !name.empty() && WithoutTrailingBlanksAndDots(name).size() != name.size();
}

// PowerShell takes the curved single quotes (code page 936: A1 AE, A1 AF)
// for the straight one.
bool IsCurvedQuote(std::string_view text, std::size_t at) {
    return at + 1 < text.size() && static_cast<unsigned char>(text[at]) == 0xA1 &&
           (static_cast<unsigned char>(text[at + 1]) == 0xAE || static_cast<unsigned char>(text[at + 1]) == 0xAF);
}

char AsciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// Equal without regard to ASCII case; double-byte characters byte for byte.
bool SameFolder(std::string_view a, std::string_view b) {
    Text x = WithoutTrailingBackslashes(WithBackslashes(a)), y = WithoutTrailingBackslashes(WithBackslashes(b));
    if (x.size() != y.size()) return false;
    for (std::size_t at = 0; at < x.size(); at = CharEnd(x, at)) {
        std::size_t end = CharEnd(x, at);
        if (end != CharEnd(y, at)) return false;
        if (end - at == 1 ? AsciiLower(x[at]) != AsciiLower(y[at]) : x.compare(at, 2, y, at, 2) != 0) return false;
    }
    return true;
}

}  // namespace

Text ResolveFolderText(std::string_view folder) {
    if (folder.size() < 3 || !IsDriveLetter(folder[0]) || folder[1] != ':' || (folder[2] != '\\' && folder[2] != '/'))
        return {};
    std::vector<Text> levels;
    for (const Text& name : NamesOf(folder.substr(3))) {
        if (name == ".") continue;
        if (name == "..") {
            if (!levels.empty()) levels.pop_back();
            continue;
        }
        levels.push_back(name);
    }
    // Windows drops trailing blanks and dots from the last name that remains
    // once "." and ".." are gone ("x.\." is "x"); a blank-only or dot-only
    // last name disappears with them.
    while (!levels.empty()) {
        levels.back() = WithoutTrailingBlanksAndDots(levels.back());
        if (!levels.back().empty()) break;
        levels.pop_back();
    }
    Text resolved = Text(folder.substr(0, 2)) + "\\";
    for (std::size_t i = 0; i < levels.size(); ++i) resolved += (i ? "\\" : "") + levels[i];
    return resolved;
}

bool IsUsableFolderText(std::string_view folder) {
    Text text = WithBackslashes(folder);
    if (text.size() < 3 || !IsDriveLetter(text[0]) || text[1] != ':' || text[2] != '\\') return false;
    for (std::size_t at = 2; at < text.size(); at = CharEnd(text, at)) {
        if (IsCurvedQuote(text, at)) return false;
        unsigned char c = static_cast<unsigned char>(text[at]);
        if (IsLeadByte(c)) continue;
        if (c < 0x20 || c == ':' || c == '*' || c == '?' || c == '"' || c == '<' || c == '>' || c == '|') return false;
        if (kScriptUnsafeCharacters.find(static_cast<char>(c)) != std::string_view::npos) return false;
    }
    for (const Text& name : NamesOf(text.substr(3)))
        if (name == "." || name == ".." || EndsInBlankOrDot(name)) return false;
    return true;
}

std::optional<Text> AcceptedFolder(std::string_view folder, std::span<const Text> protectedFolders) {
    Text resolved = ResolveFolderText(folder);
    if (!IsUsableFolderText(resolved) || resolved.size() == 3) return std::nullopt;
    for (const Text& kept : protectedFolders)
        if (!kept.empty() && SameFolder(resolved, kept)) return std::nullopt;
    return resolved;
}

Text InstallFolderText(std::string_view field) {
    return WithTrailingBackslash(WithoutTrailingBackslashes(WithBackslashes(field)));
}

Text JoinPath(std::string_view folder, std::string_view name) { return InstallFolderText(folder) + Text(name); }

std::vector<Text> FolderLevels(std::string_view folder) {
    Text text = WithBackslashes(folder);
    std::vector<Text> levels;
    if (text.size() < 2) return levels;
    Text path = text.substr(0, 2);
    std::size_t at = 2;
    while (at < text.size()) {
        std::size_t end = at;
        while (end < text.size() && text[end] != '\\') end = CharEnd(text, end);
        if (end > at) {
            path += '\\';
            path += text.substr(at, end - at);
            levels.push_back(path);
        }
        at = end + 1;
    }
    return levels;
}

bool IsProductInstallation(const FolderContents& folder) {
    return folder.exists && folder.hasClient && (folder.hasUninstaller || folder.hasScript);
}

bool IsLeftOverDownload(const FolderContents& folder) {
    return folder.exists && folder.hasClient && folder.entries == 1;
}

bool IsFolderForTheProduct(const FolderContents& folder) {
    return !folder.exists || !folder.holdsAnything || IsProductInstallation(folder) || IsLeftOverDownload(folder);
}

FolderChoice ChooseInstallFolder(bool chosenIsDriveRoot, const FolderContents& chosen,
                                 const FolderContents& subfolder) {
    if (!chosenIsDriveRoot && IsFolderForTheProduct(chosen)) return FolderChoice::AsChosen;
    return IsFolderForTheProduct(subfolder) ? FolderChoice::Subfolder : FolderChoice::Refused;
}
