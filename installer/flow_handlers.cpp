// The handlers of the installer flow's own buttons and of the installation
// window's feedback event. The layout binds them now; the install, the
// uninstall and the shortcut step are not part of the program yet, so they
// do nothing when raised.
#include "frame/core/event.h"

EventResult OnInstallClicked(const EventArgs&) { return std::nullopt; }
EventResult OnUninstallClicked(const EventArgs&) { return std::nullopt; }
EventResult OnShortcutStep(const EventArgs&) { return std::nullopt; }
