#pragma once
// The four windows move and open as one: companions follow the main window,
// the options panel opens over its lower part, and the shortcut options are
// each a frame, a mark and a caption button.

// Centres the installation window on the main window and shows it.
void ShowInstallationWindow();
void HideInstallationWindow();
// Hides all four windows at once: the program is ending, and what it still
// has to do (stop the download, take back an incomplete installation) goes
// on without a window.
void HideAllWindows();

// Shows (true) or hides the options panel; the main window's own options
// button and chevron do the opposite.
void ShowOptionsPanel(bool show);

enum class ShortcutOption { Desktop, StartMenu };
// Inverts the option: mark, button state and frame colour together.
void ToggleShortcutOption(ShortcutOption option);
