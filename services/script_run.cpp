#include "services/script_run.h"

#include <windows.h>

#include <string>

#include "services/codepage.h"

namespace {

std::wstring SystemFolder() {
    wchar_t folder[MAX_PATH] = {};
    UINT length = GetSystemDirectoryW(folder, MAX_PATH);
    return length > 0 && length < MAX_PATH ? std::wstring(folder, length) : std::wstring();
}

// The null device, inheritable, for the script's standard handles.
FileHandle NullDevice() {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    return FileHandle(CreateFileW(L"NUL", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                                  OPEN_EXISTING, 0, nullptr));
}

}  // namespace

void WorkInSystemFolder() {
    std::wstring system = SystemFolder();
    if (!system.empty()) SetCurrentDirectoryW(system.c_str());
}

std::optional<KernelHandle> StartCommandScript(std::string_view script) {
    std::wstring system = SystemFolder();
    std::wstring path = ToWideText(script);
    // A path holding a quotation mark would end the quoted name early.
    if (system.empty() || path.empty() || path.find(L'"') != std::wstring::npos) return std::nullopt;
    FileHandle nothing = NullDevice();
    if (!nothing) return std::nullopt;
    std::wstring program = system + L"\\cmd.exe";
    // /d: no AutoRun commands from the registry; /c "…": cmd takes the text
    // between the outer quotation marks as the command.
    std::wstring command = L"cmd.exe /d /c \"\"" + path + L"\"\"";
    STARTUPINFOW start{};
    start.cb = sizeof start;
    start.dwFlags = STARTF_USESTDHANDLES | STARTF_USESHOWWINDOW;
    start.wShowWindow = SW_HIDE;
    start.hStdInput = start.hStdOutput = start.hStdError = nothing.get();
    PROCESS_INFORMATION started{};
    if (!CreateProcessW(program.c_str(), command.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr,
                        system.c_str(), &start, &started))
        return std::nullopt;
    CloseHandle(started.hThread);
    return KernelHandle(started.hProcess);
}

std::optional<std::uint32_t> WaitForScript(const KernelHandle& process, std::uint32_t milliseconds) {
    if (WaitForSingleObject(process.get(), milliseconds) != WAIT_OBJECT_0) return std::nullopt;
    DWORD code = 0;
    GetExitCodeProcess(process.get(), &code);
    return code;
}
