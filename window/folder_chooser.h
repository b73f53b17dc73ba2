#pragma once
// Choosing the installation folder with the system's folder dialog.
#include <windows.h>

#include <string>
#include <vector>

#include "services/core/values.h"

inline constexpr char kDefaultInstallFolder[] = "C:\\Program Files (x86)\\tavrin";

// Reads the system version, (major << 8) | minor, from the process
// environment block; once, at program start.
void RecordSystemVersion();
unsigned SystemVersion();

// The chosen folder's path, or empty text (cancelled, no file-system path,
// or a system before 6.0 without the dialog).
Text PickFolder(std::string_view title, HWND owner);

enum class FileDialogMode { PickFolder };
// Shows the dialog; fills `results` with the chosen paths and returns how many.
int ShowFileDialog(FileDialogMode mode, const std::wstring& title, HWND owner, std::vector<std::wstring>& results);
