#pragma once
// Command scripts (".bat") run by the system's own command processor, apart
// from whatever the program was started with: no console input (a "pause"
// ends at once instead of waiting for a key nobody can press), output to
// nowhere, and a working folder outside the folder the script may delete.
#include <cstdint>
#include <optional>
#include <string_view>

#include "services/handle.h"

// The process's own working folder becomes the system folder: no one can
// delete a folder that a running process works in.
void WorkInSystemFolder();

// Started hidden through cmd.exe of the system folder, in the system folder;
// the process handle, or none when it could not be started.
std::optional<KernelHandle> StartCommandScript(std::string_view script);

// Waits for the started script to end: its exit code, or none when it was
// still running after `milliseconds`.
std::optional<std::uint32_t> WaitForScript(const KernelHandle& process, std::uint32_t milliseconds);
