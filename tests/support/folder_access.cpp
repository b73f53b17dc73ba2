// Prints the access list of the folder named on the command line (SDDL), for
// the installer tests: Wine keeps it where no host tool reads it.
#include <windows.h>

#include <cstdio>

#include "services/codepage.h"
#include "services/files.h"

int wmain(int count, wchar_t** words) {
    if (count != 2) return 2;
    Text access = FolderAccessText(FromWideText(words[1]));
    std::printf("%s\n", access.c_str());
    return access.empty() ? 1 : 0;
}
