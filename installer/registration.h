#pragma once
// The product in the system's list of installed programs, removable through
// the "卸载.exe" copy in the installation folder.

// Writes every value of the product's key; a failed write does not stop the
// others. True when every value was written.
bool RegisterProduct();
