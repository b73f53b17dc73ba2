// The frame in a program of its own (layout_program.exe): the fatal error
// box and what happens while it is open, and the exit codes of the ends.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "frame/core/fatal.h"
#include "layout_ids.h"
#include "services/codepage.h"

namespace tw = layout::test_window;

namespace {

std::wstring BesideThisProgram(const wchar_t* name) {
    wchar_t path[MAX_PATH];
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path);
    return folder.substr(0, folder.find_last_of(L'\\') + 1) + name;
}

class Program {
public:
    explicit Program(const char* mode) {
        wchar_t folder[MAX_PATH], file[MAX_PATH];
        GetTempPathW(MAX_PATH, folder);
        GetTempFileNameW(folder, L"log", 0, file);
        log_ = file;
        SetEnvironmentVariableA("TAVRIN_TEST_MODE", mode);
        SetEnvironmentVariableW(L"TAVRIN_EVENT_LOG", log_.c_str());
        std::wstring command = L"\"" + BesideThisProgram(L"layout_program.exe") + L"\"";
        STARTUPINFOW startup = {};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION info = {};
        started_ =
            CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info);
        process_ = info.hProcess;
        id_ = info.dwProcessId;
        if (info.hThread) CloseHandle(info.hThread);
    }
    ~Program() {
        if (process_) {
            if (WaitForSingleObject(process_, 0) == WAIT_TIMEOUT) TerminateProcess(process_, 1);
            CloseHandle(process_);
        }
        DeleteFileW(log_.c_str());
    }
    bool started() const { return started_; }
    DWORD id() const { return id_; }

    // The exit code, or STILL_ACTIVE when it has not ended within `ms`.
    DWORD ExitCode(DWORD ms) {
        DWORD code = STILL_ACTIVE;
        if (WaitForSingleObject(process_, ms) == WAIT_OBJECT_0) GetExitCodeProcess(process_, &code);
        return code;
    }

    std::string Log() const {
        HANDLE file = CreateFileW(log_.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, 0, nullptr);
        std::string text(1 << 16, '\0');
        DWORD read = 0;
        ReadFile(file, text.data(), static_cast<DWORD>(text.size()), &read, nullptr);
        CloseHandle(file);
        text.resize(read);
        return text;
    }

    // Waits for `line` to appear in the log.
    bool WaitForLine(const std::string& line, DWORD ms) {
        for (DWORD waited = 0; waited < ms; waited += 20) {
            if (Log().find(line + "\n") != std::string::npos) return true;
            Sleep(20);
        }
        return false;
    }

private:
    bool started_ = false;
    HANDLE process_ = nullptr;
    DWORD id_ = 0;
    std::wstring log_;
};

struct BoxSearch {
    DWORD process;
    HWND box;
};

BOOL CALLBACK FindBox(HWND window, LPARAM context) {
    auto* search = reinterpret_cast<BoxSearch*>(context);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    wchar_t className[32] = {};
    GetClassNameW(window, className, 32);
    if (owner == search->process && std::wstring(className) == L"#32770" && IsWindowVisible(window)) {
        search->box = window;
        return FALSE;
    }
    return TRUE;
}

HWND WaitForBox(DWORD process, DWORD ms) {
    for (DWORD waited = 0; waited < ms; waited += 50) {
        BoxSearch search{process, nullptr};
        EnumWindows(FindBox, reinterpret_cast<LPARAM>(&search));
        if (search.box) return search.box;
        Sleep(50);
    }
    return nullptr;
}

// The longest static text of the box: its message.
BOOL CALLBACK LongestText(HWND child, LPARAM context) {
    auto* text = reinterpret_cast<std::wstring*>(context);
    wchar_t buffer[1024] = {};
    GetWindowTextW(child, buffer, 1024);
    if (wcslen(buffer) > text->size()) *text = buffer;
    return TRUE;
}

std::size_t CountEventsAfter(const std::string& log, const std::string& marker) {
    std::size_t at = log.find(marker), count = 0;
    while (at != std::string::npos && (at = log.find("event ", at + 1)) != std::string::npos) ++count;
    return count;
}

TEST(Program, FatalErrorShowsItsBoxRunsNoHandlerAndExitsWithMinusOne) {
    Program program("fatal");
    ASSERT_TRUE(program.started());
    HWND box = WaitForBox(program.id(), 20000);
    ASSERT_TRUE(box) << program.Log();
    wchar_t caption[32] = {};
    GetWindowTextW(box, caption, 32);
    EXPECT_EQ(FromWideText(caption), "错误");
    std::wstring text;
    EnumChildWindows(box, LongestText, reinterpret_cast<LPARAM>(&text));
    std::string expected = "运行时出错!\r\n\r\n错误代码：4\r\n\r\n错误信息：数组成员引用下标必须大于等于1\r\n\r\n" +
                           std::to_string(static_cast<int>(tw::kWindow)) + ", " + std::to_string(tw::kPageOne) +
                           "\r\n\"测试窗口\"\r\n\"页一\"\r\n";
    EXPECT_EQ(FromWideText(text), expected);

    // Clicks while the box is open reach no handler (the box's own loop
    // dispatches them), nor do those queued before the error.
    std::string log = program.Log();
    std::size_t pageAt = log.find("page ");
    ASSERT_NE(pageAt, std::string::npos);
    HWND page = reinterpret_cast<HWND>(std::stoul(log.substr(pageAt + 5)));
    for (int i = 0; i < 3; ++i) PostMessageW(page, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
    Sleep(300);
    EXPECT_EQ(CountEventsAfter(program.Log(), "fatal"), 0u);
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    EXPECT_EQ(program.ExitCode(10000), static_cast<DWORD>(-1));
    log = program.Log();
    EXPECT_EQ(CountEventsAfter(log, "fatal"), 0u) << log;
    EXPECT_EQ(log.find("exit callback"), std::string::npos) << "exit callbacks ran after a fatal error";
}

TEST(Program, WorkerThreadHandsTheEndToTheUserInterfaceThread) {
    Program program("worker-end");
    ASSERT_TRUE(program.started());
    EXPECT_EQ(program.ExitCode(20000), 5u);
    std::string log = program.Log();
    // The orderly part ran: the exit callback, added twice, ran once; no
    // event is raised once the end has begun (no "about to be destroyed").
    EXPECT_NE(log.find("exit callback 1\n"), std::string::npos) << log;
    EXPECT_EQ(log.find(" 2\n"), std::string::npos) << log;
    EXPECT_EQ(log.find("exit callback 2"), std::string::npos);
    EXPECT_EQ(log.find("worker went on"), std::string::npos);
}

TEST(Program, WorkerEndDuringTheEndDoesNotDecideTheExitCode) {
    Program program("ending-race");
    ASSERT_TRUE(program.started());
    EXPECT_EQ(program.ExitCode(20000), 7u);
    EXPECT_NE(program.Log().find("worker returned\n"), std::string::npos) << program.Log();
}

TEST(Program, IdleRoutinesRunWhenTheQueueIsEmpty) {
    Program program("idle");
    ASSERT_TRUE(program.started());
    EXPECT_EQ(program.ExitCode(20000), 9u);
    std::string log = program.Log();
    EXPECT_NE(log.find("idle 3\n"), std::string::npos) << log;
    EXPECT_EQ(log.find("idle 4"), std::string::npos) << log;
}

}  // namespace
