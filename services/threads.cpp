#include "services/threads.h"

bool StartThread(LPTHREAD_START_ROUTINE routine, void* parameter, KernelHandle* handle) {
    KernelHandle thread(CreateThread(nullptr, 0, routine, parameter, 0, nullptr));
    if (!thread) return false;
    if (handle) *handle = std::move(thread);
    return true;
}
