#pragma once
// Pauses that keep the calling thread's windows responsive: the wait
// dispatches the thread's messages every millisecond until the time is up,
// so event handlers of the same thread may run while the caller waits.

// amount counts units: 0 milliseconds (default), 1 seconds, 2 minutes,
// 3 hours, any other value milliseconds per count. Blocks the caller for that
// long; an amount of 0 or less only pumps once.
void WaitPumping(int amount, int unit = 0);

// Dispatches every message waiting in the calling thread's queue.
void PumpMessages();
