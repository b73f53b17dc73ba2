#pragma once
// Writing the two uninstall texts into a folder. Each write creates or
// truncates the file and writes the text in one piece.
#include <string_view>

bool WriteUninstallScript(std::string_view path);
bool WriteUninstallInstructions(std::string_view path);
