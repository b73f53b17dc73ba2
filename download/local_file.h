#pragma once
// The local file of a task: the same-name policy, then the file created at
// its full size and mapped into memory for the connections to write into.
#include "download/task.h"

// Runs on the first connection after its probe. False when the connection
// must fail (the reason has been reported, or the caller chose silence).
bool PrepareLocalFile(DownloadTask& task, Connection& connection);

// Unmaps the view and closes the mapping (task thread, connections joined).
void CloseLocalFile(DownloadTask& task);
