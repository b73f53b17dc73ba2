#pragma once
#include <windows.h>

#include "services/handle.h"

// Starts `routine` on a new thread with the default stack, running at once.
// Without `handle` the thread's handle is closed straight away.
bool StartThread(LPTHREAD_START_ROUTINE routine, void* parameter = nullptr, KernelHandle* handle = nullptr);
