#include "installer/program_state.h"

#include "frame/frame.h"

namespace {

InstallerState* state = nullptr;

void ReleaseInstallerState(int) {
    if (!state) return;
    state->download.DeleteTask();
    delete state;
    state = nullptr;
}

}  // namespace

InstallerState& Installer() { return *state; }

void CreateInstallerState() {
    state = new InstallerState;
    AddExitCallback(ReleaseInstallerState);
}

void StopDownloadTask() {
    std::lock_guard guard(state->taskStateLock);
    state->download.StopTask(state->taskState, 2);
}
