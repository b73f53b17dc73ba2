#pragma once
// A process without administrator rights starts the same program file again
// through the shell's elevation verb and ends.

// ShellExecute "runas" on the running program file, from its folder, with no
// arguments: the elevated copy starts like a first start. Not examined.
void RelaunchElevated();
