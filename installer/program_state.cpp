#include "installer/program_state.h"

namespace {

InstallerState* state = nullptr;

}  // namespace

InstallerState& Installer() { return *state; }

void CreateInstallerState() { state = new InstallerState; }

void StopDownloadTask() {
    std::lock_guard guard(state->taskStateLock);
    state->download.StopTask(state->taskState, 2);
}
