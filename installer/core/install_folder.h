#pragma once
// The installation folder: its text as the flow uses it, the paths in it,
// and whether a folder may become the installation folder at all. The
// removal and the uninstall script delete the whole folder, so it must be
// one made for the product.
#include <string_view>
#include <vector>

#include "services/core/values.h"

// A drive letter, a colon and a backslash: the only kind of folder text the
// installer writes to ("/" counts as "\"). Anything else is refused.
bool IsUsableFolderText(std::string_view folder);

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
};

// "tavrin.exe" together with "卸载.exe" or "Uninstall.bat".
bool IsProductInstallation(const FolderContents& folder);

// A folder that may be written to and later deleted whole: missing, empty,
// or an installation of the product.
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
