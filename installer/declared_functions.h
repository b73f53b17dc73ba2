#pragma once
// The numbers of the installer's declared functions (declared_functions.cpp).
enum InstallerDeclared : int {
    kDeclaredGetTickCount = 0,
    kDeclaredIsNTAdmin = 1,
};
