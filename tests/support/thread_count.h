#pragma once
// How many threads this process has now (a test's view of threads started and ended).
int ThreadCount();
