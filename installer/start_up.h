#pragma once
// The installer's start and end.

// The installer's own steps before the main window is loaded.
void EnterInstaller();

// The installer's one way to end: the orderly end with exit code 0.
void EndProgram();
