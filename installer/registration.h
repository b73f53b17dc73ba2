#pragma once
// The product in the system's list of installed programs, removable through
// the "卸载.exe" copy in the installation folder.

#include "services/core/values.h"

// Writes every value of the product's key for the installation in `folder`;
// a failed write does not stop the others. True when every value was written.
bool RegisterProduct(const Text& folder);
