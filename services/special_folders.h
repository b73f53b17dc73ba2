#pragma once
#include "services/core/values.h"

// Kinds: 1 My Documents, 2 Favorites, 3 desktop, 4 Fonts, 5 Start menu,
// 6 Programs, 7 Startup, 8 Application Data, 9 Windows, 10 system,
// 11 temporary. The path ends with a backslash; empty on failure or for
// another kind.
Text GetSpecialFolder(int kind);
