#pragma once
// The error-nesting counter: while it is above 0 no event handler runs.
// Raised by every fatal report and by the orderly end.
#include <atomic>

std::atomic<int>& ErrorNestingCounter();
