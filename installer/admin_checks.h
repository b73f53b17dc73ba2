#pragma once
// The two questions about the user's rights. They are the one seam a test
// replaces (Wine always answers "administrator"): the program links
// admin_checks.cpp, the flow's tests link an answer of their own.

// At start-up: IsUserAnAdmin.
bool IsElevated();
// Before an uninstall: IsNTAdmin of advpack.
bool IsAdministrator();
