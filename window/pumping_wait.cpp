#include "window/pumping_wait.h"

#include <windows.h>

#include "services/handle.h"
#include "window/core/wait_time.h"

namespace {

// Without a waitable timer: the tick count decides, messages still flow.
void WaitByTickCount(std::int64_t milliseconds) {
    const ULONGLONG end = GetTickCount64() + static_cast<ULONGLONG>(milliseconds);
    while (GetTickCount64() < end) {
        PumpMessages();
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 1, QS_ALLINPUT);
    }
}

}  // namespace

void PumpMessages() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

void WaitPumping(int amount, int unit) {
    std::int64_t dueTime = WaitDueTime(amount, unit);
    if (dueTime >= 0) {
        PumpMessages();
        return;
    }
    KernelHandle timer(CreateWaitableTimerW(nullptr, FALSE, nullptr));
    LARGE_INTEGER due;
    due.QuadPart = dueTime;
    if (!timer || !SetWaitableTimer(timer.get(), &due, 0, nullptr, nullptr, FALSE)) {
        WaitByTickCount(-dueTime / 10000);
        return;
    }
    while (WaitForSingleObject(timer.get(), 1) != WAIT_OBJECT_0) PumpMessages();
}
