// The orderly end, and the way a worker thread hands it to the
// user-interface thread.
#include <objbase.h>

#include <algorithm>

#include "controls/fonts.h"
#include "controls/form.h"
#include "controls/loaded_window.h"
#include "frame/application.h"
#include "frame/frame.h"
#include "services/declared.h"

namespace {

// Asks the user-interface thread to end, until it does or its end has
// begun. Short timeouts: a user-interface thread that is ending may be
// waiting for this very thread in an exit callback.
void HandToUserInterfaceThread(int exitCode) {
    Application& app = App();
    while (!app.shuttingDown.load() && app.hiddenOwner && IsWindow(app.hiddenOwner)) {
        DWORD_PTR ignored;
        if (SendMessageTimeoutW(app.hiddenOwner, kShutDownMessage, static_cast<WPARAM>(exitCode), 0, SMTO_NORMAL, 100,
                                &ignored))
            break;
    }
}

void ReleaseSocketsLibrary() {
    // Only a program that used sockets has the library loaded.
    HMODULE sockets = GetModuleHandleW(L"ws2_32.dll");
    if (!sockets) return;
    using Cleanup = int(WINAPI*)();
    if (auto cleanup = reinterpret_cast<Cleanup>(reinterpret_cast<void*>(GetProcAddress(sockets, "WSACleanup"))))
        cleanup();
}

}  // namespace

void AddExitCallback(ExitCallback callback) {
    std::vector<ExitCallback>& callbacks = App().exitCallbacks;
    if (std::find(callbacks.begin(), callbacks.end(), callback) == callbacks.end()) callbacks.push_back(callback);
}

void ShutDown(int exitCode) {
    ErrorNestingCounter().fetch_add(1);
    Application& app = App();
    if (!OnUserInterfaceThread()) {
        HandToUserInterfaceThread(exitCode);
        // The user-interface thread ends the process; if its end was
        // already under way, its own call decides the exit code.
        if (!app.shuttingDown.load()) ExitProcess(static_cast<UINT>(exitCode));
        return;
    }
    // A second call during the end (from an exit callback) leaves the first to finish.
    if (app.shuttingDown.exchange(true)) return;
    for (auto& window : app.windows)
        if (window->alive()) DestroyWindow(window->handle());
    if (!app.skipExitCallbacks.load()) {
        for (std::size_t i = 0; i < app.exitCallbacks.size(); ++i) app.exitCallbacks[i](static_cast<int>(i) + 1);
    }
    app.exitCallbacks.clear();
    EndFonts();
    ProgramDeclaredFunctions().FreeLibraries();
    for (auto& window : app.windows) static_cast<Form&>(window->form()).ReleaseIcons();
    if (app.hiddenOwner) DestroyWindow(app.hiddenOwner);
    app.hiddenOwner = nullptr;
    ReleaseSocketsLibrary();
    if (app.oleInitialized) OleUninitialize();
    app.oleInitialized = false;
    ExitProcess(static_cast<UINT>(exitCode));
}
