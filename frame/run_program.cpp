#include "frame/application.h"
#include "frame/core/fatal.h"
#include "frame/frame.h"

void RunProgram(const ProgramSetup& setup) {
    StartFrame();
    if (setup.entrySteps) setup.entrySteps();
    if (!LoadWindow(setup.startWindow)) ReportFatalError("载入启动窗口失败", 0, 0, 0);
    RunMessageLoop();
    // Every window gone: the same orderly end as a program's own.
    ShutDown(0);
    ExitProcess(0);
}

void RaiseRuntimeError(int number, int first, int second) {
    ReportFatalError(RuntimeErrorText(number), number, first, second);
}
