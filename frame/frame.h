#pragma once
// The program frame: start-up, loading windows from the layout description,
// the message loop and the orderly end. A program names its start window and
// its own entry steps; its event handlers come from the layout it links.
#include <windows.h>

#include <cstdint>

struct ProgramSetup {
    std::uint32_t startWindow = 0;
    // The program's own steps after the services are ready and before the
    // start window is loaded; may be empty.
    void (*entrySteps)() = nullptr;
};

// The whole life of the process: never returns (the end is ShutDown's).
[[noreturn]] void RunProgram(const ProgramSetup& setup);

// Prepares the services and reads the layout description linked into the
// executable; a description that cannot be read is a fatal error. The
// first half of RunProgram, for programs and tests that drive the rest.
void StartFrame();

// Builds a window and its controls, owned by `owner`, and shows it as its
// flags say. Modal runs a nested message loop until the window is gone.
// False when the window is not in the layout or cannot be created.
bool LoadWindow(std::uint32_t window, HWND owner = nullptr, bool modal = false);

// Runs until WM_QUIT; returns at once when no loaded window exists.
void RunMessageLoop();

// A routine the message loop calls whenever its queue runs empty, for as
// long as `window` exists.
void AddIdleRoutine(std::uint32_t window, void (*routine)());

using ExitCallback = void (*)(int position);
// Added unless already there; called by ShutDown in list order.
void AddExitCallback(ExitCallback callback);

// The orderly end. On the user-interface thread: windows destroyed, exit
// callbacks, components and libraries released, process ended with
// `exitCode`. On another thread the end is handed to the user-interface
// thread; the call returns only if the end is already under way there.
void ShutDown(int exitCode);

// A misuse found at run time: the text of runtime error `number` (1 to 11)
// reported as fatal, with the two position numbers.
[[noreturn]] void RaiseRuntimeError(int number, int first, int second);
