#pragma once
// Before a download: a previous installation in the folder is removed
// through its own uninstall script, then the folder is deleted.

// True to go on with the download; false when the previous client stayed in
// place and the installation is abandoned (the user has been told and the
// folder opened). Runs on the install thread; its waits pump messages.
bool RemovePreviousInstallation();
