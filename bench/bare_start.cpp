// A Windows program that ends at once: what the start of any program costs
// under the same Wine, measured beside the installer's start.
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) { return 0; }
