#pragma once
// Cursors and icons made from the bytes of a .cur or .ico file.
#include "services/core/values.h"
#include "services/handle.h"

// Nothing for empty or unusable bytes.
IconHandle CursorFromBytes(const Bytes& bytes);
// The entry nearest to size x size of an icon file.
IconHandle IconFromBytes(const Bytes& bytes, int size);
