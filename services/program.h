#pragma once
// Where the running program lives. Read once from the module's path and
// kept for the life of the process.
#include "services/core/values.h"

// Without trailing backslash.
const Text& GetProgramDir();
// Without directory, e.g. "卸载.exe".
const Text& GetProgramFileName();
