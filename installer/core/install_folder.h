#pragma once
// The installation folder: its text as the flow uses it, the paths in it,
// and whether a folder may become the installation folder at all. The
// removal and the uninstall script delete the whole folder, so it must be
// one made for the product.
#include <string_view>
#include <vector>

#include "services/core/values.h"

#include <optional>
#include <span>

// The folder text as Windows resolves a drive-absolute path: "/" as "\",
// repeated separators merged, "." dropped, ".." taking the level before it
// (never above the root), trailing blanks and dots of the last name dropped.
// Without a trailing backslash but for a root ("C:\"). Empty for a text that
// does not begin with a drive letter, a colon and a separator.
Text ResolveFolderText(std::string_view folder);

// A resolved folder the installer writes to and may later delete whole: a
// drive letter, a colon and a backslash, no character Windows refuses in a
// name, no level ending in a blank or dot, and none of the characters the
// uninstall script cannot carry (kScriptUnsafeCharacters).
bool IsUsableFolderText(std::string_view folder);

// The uninstall script echoes its folder unquoted (& and ^ are commands and
// escapes there), is started through cmd (% expands a variable, ! one too
// where delayed expansion is on) and hands the folder to PowerShell inside
// single quotes (' ends them, and so do the curved quotes PowerShell takes
// for one) as a -Path ([ ] are wildcards, ` their escape).
inline constexpr std::string_view kScriptUnsafeCharacters = "&^%!'[]`";

// The folder chosen, resolved, when it may be the installation folder: a
// usable text that is none of the protected folders (compared without
// regard to case, trailing backslashes aside) and not a drive root.
std::optional<Text> AcceptedFolder(std::string_view folder, std::span<const Text> protectedFolders);

// "/" as "\" and exactly one trailing backslash.
Text InstallFolderText(std::string_view field);

// The folder and a name with one backslash between them.
Text JoinPath(std::string_view folder, std::string_view name);

// Every folder to create, parent first: "C:\a\b\" gives "C:\a", "C:\a\b".
std::vector<Text> FolderLevels(std::string_view folder);

// What a folder holds, as far as the choice goes.
struct FolderContents {
    bool exists = false;
    bool holdsAnything = false;   // any entry besides "." and ".."
    bool hasClient = false;       // "tavrin.exe"
    bool hasUninstaller = false;  // "卸载.exe"
    bool hasScript = false;       // "Uninstall.bat"
    int entries = 0;              // besides "." and ".."
};

// "tavrin.exe" together with "卸载.exe" or "Uninstall.bat".
bool IsProductInstallation(const FolderContents& folder);

// What a run that was closed during its download leaves when its client file
// could not be deleted: that file alone.
bool IsLeftOverDownload(const FolderContents& folder);

// A folder that may be written to and later deleted whole: missing, empty,
// an installation of the product or a download left over.
bool IsFolderForTheProduct(const FolderContents& folder);

enum class FolderChoice {
    AsChosen,   // the folder field as it is
    Subfolder,  // the chosen folder joined with kProductSubfolder
    Refused,    // neither: nothing is written, the user picks another
};

inline constexpr std::string_view kProductSubfolder = "tavrin";

// A drive root is never the folder itself; a folder holding someone else's
// files gives way to its "tavrin" subfolder, if that one is fit.
FolderChoice ChooseInstallFolder(bool chosenIsDriveRoot, const FolderContents& chosen, const FolderContents& subfolder);
