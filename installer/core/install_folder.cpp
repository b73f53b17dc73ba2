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

}  // namespace

bool IsUsableFolderText(std::string_view folder) {
    Text text = WithBackslashes(folder);
    if (text.size() < 3 || !IsDriveLetter(text[0]) || text[1] != ':' || text[2] != '\\') return false;
    for (std::size_t at = 2; at < text.size(); at = CharEnd(text, at)) {
        unsigned char c = static_cast<unsigned char>(text[at]);
        if (IsLeadByte(c)) continue;
        if (c < 0x20 || c == ':' || c == '*' || c == '?' || c == '"' || c == '<' || c == '>' || c == '|') return false;
    }
    return true;
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

bool IsFolderForTheProduct(const FolderContents& folder) {
    return !folder.exists || !folder.holdsAnything || IsProductInstallation(folder);
}

FolderChoice ChooseInstallFolder(bool chosenIsDriveRoot, const FolderContents& chosen,
                                 const FolderContents& subfolder) {
    if (!chosenIsDriveRoot && IsFolderForTheProduct(chosen)) return FolderChoice::AsChosen;
    return IsFolderForTheProduct(subfolder) ? FolderChoice::Subfolder : FolderChoice::Refused;
}
