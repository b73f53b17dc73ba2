#include "installer/uninstall_files.h"

#include "installer/core/uninstall_texts.h"
#include "services/files.h"

bool WriteUninstallScript(std::string_view path) { return WriteBytesToFile(path, {UninstallScript()}); }

bool WriteUninstallInstructions(std::string_view path) { return WriteBytesToFile(path, {UninstallInstructions()}); }
