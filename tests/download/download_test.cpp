// The Download object in-process: refusals, stopping, and what is left
// behind. Needs the fault server's address in TAVRIN_TEST_SERVER (the
// Python download tests start the server and this program).
#include "download/download.h"

#include <windows.h>

#include <gtest/gtest.h>

#include "tests/support/thread_count.h"

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "services/special_folders.h"

namespace {

// What the callbacks saw; written on the task thread, read by the test.
std::atomic<int> finishedCount{0};
std::atomic<int> finishedValue{0};
std::atomic<int> dataEvents{0};

std::int32_t WINAPI RecordEvent(std::int32_t event, std::intptr_t, std::int32_t value1, std::int32_t, void*) {
    if (event == TaskFinished) {
        finishedValue = value1;
        finishedCount.fetch_add(1);
    }
    if (event == DataReceived) dataEvents.fetch_add(1);
    return 0;
}

// The process's open handles, from the system's handle list (Wine's
// GetProcessHandleCount is a stub that says 0).
DWORD HandleCount() {
    struct Entry {
        ULONG ownerPid;
        BYTE type, flags;
        USHORT value;
        PVOID object;
        ACCESS_MASK access;
    };
    using Query = LONG(WINAPI*)(ULONG, PVOID, ULONG, PULONG);
    auto query = reinterpret_cast<Query>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQuerySystemInformation")));
    std::vector<BYTE> buffer(1 << 16);
    ULONG needed = 0;
    while (query(16 /* SystemHandleInformation */, buffer.data(), static_cast<ULONG>(buffer.size()), &needed) ==
           static_cast<LONG>(0xC0000004) /* length mismatch */)
        buffer.resize(buffer.size() * 2);
    ULONG entries = *reinterpret_cast<ULONG*>(buffer.data());
    auto* entry = reinterpret_cast<Entry*>(buffer.data() + sizeof(ULONG_PTR));
    DWORD count = 0;
    for (ULONG i = 0; i < entries; ++i)
        if (entry[i].ownerPid == GetCurrentProcessId()) ++count;
    return count;
}

template <class Condition>
bool WaitFor(Condition condition, int milliseconds) {
    for (int waited = 0; waited < milliseconds; waited += 10) {
        if (condition()) return true;
        Sleep(10);
    }
    return condition();
}

Text Server() {
    const char* server = std::getenv("TAVRIN_TEST_SERVER");
    return server ? server : "";
}

Text SavePath(const char* name) {
    Text path = GetSpecialFolder(11) + name;
    DeleteFileA(path.c_str());
    return path;
}

std::uint32_t Word(const Bytes& blob, std::size_t at) {
    std::uint32_t value = 0;
    if (at + 4 <= blob.size()) std::memcpy(&value, blob.data() + at, 4);
    return value;
}

TEST(AddTask, RefusesWhatItCannotRun) {
    Download download;
    TaskParam param;
    param.SavePath = SavePath("refused.bin");
    for (const char* url : {"mms://h/s", "mmst://h/s", "rtsp://h/s", "gopher://h/x", "http://host", "ftp://host"}) {
        param.Url = url;
        EXPECT_FALSE(download.AddTask(param)) << url;
    }
    param.Url = "http://127.0.0.1:9/x";
    param.SavePath = "C:\\" + Text(257, 'x');  // 260 bytes: does not fit
    EXPECT_FALSE(download.AddTask(param));
    param.SavePath = SavePath("refused.bin");
    param.Url = "ftp://127.0.0.1:9/x";
    param.FtpUser = Text(256, 'u');
    EXPECT_FALSE(download.AddTask(param));
    param.FtpUser = "anonymous";
    param.Url = "ftp://" + Text(256, 'u') + ":p@127.0.0.1:9/x";
    EXPECT_FALSE(download.AddTask(param));
    EXPECT_EQ(download.GetReceivedBytes(), 0);
    Bytes state;
    EXPECT_FALSE(download.StopTask(state));
    EXPECT_FALSE(download.GetTaskState(state));
}

TEST(AddTask, AttachedOnlyModeStartsNoThread) {
    int threads = ThreadCount();
    Download download;
    TaskParam param;
    param.Mode = 0x2000;
    param.Url = "http://127.0.0.1:9/x.bin";
    param.SavePath = SavePath("attached.bin");
    ASSERT_TRUE(download.AddTask(param));
    EXPECT_FALSE(download.AddTask(param));  // one task per object
    EXPECT_EQ(ThreadCount(), threads);
    Bytes state;
    EXPECT_TRUE(download.GetTaskState(state));
    EXPECT_TRUE(download.StopTask(state));
    EXPECT_FALSE(download.GetTaskState(state));
}

// One download of a slow file stopped in the middle, with what a stop must
// give: a quick return, the bytes written in the state blob, a detached task.
void StopOneDownload(const char* saveName) {
    finishedCount = 0;
    dataEvents = 0;
    Download download;
    TaskParam param;
    param.Url = "http://" + Server() + "/slow/200000/big.bin";
    param.SavePath = SavePath(saveName);
    param.OnEvent = RecordEvent;
    param.StopTimeout = 1000;
    param.ConnectionCount = 2;
    ASSERT_TRUE(download.AddTask(param));
    ASSERT_TRUE(WaitFor([] { return dataEvents.load() > 5; }, 10000));
    EXPECT_GT(download.GetReceivedBytes(), 0);

    Bytes state;
    ULONGLONG began = GetTickCount64();
    ASSERT_TRUE(download.StopTask(state));
    EXPECT_LE(GetTickCount64() - began, 1100u);
    ASSERT_TRUE(WaitFor([] { return finishedCount.load() == 1; }, 5000));
    // TaskFinished reports the bytes written, which the state blob shows too.
    std::uint32_t written = 0;
    for (std::uint32_t i = 0; i < Word(state, 0); ++i) written += Word(state, 16 + 28 * i + 20);
    EXPECT_GT(finishedValue.load(), 0);
    EXPECT_EQ(static_cast<std::uint32_t>(finishedValue.load()), written);
    EXPECT_EQ(download.GetReceivedBytes(), 0);  // detached
    EXPECT_FALSE(download.GetTaskState(state));
}

TEST(StopTask, ReturnsInTimeAndLeavesNothingBehind) {
    ASSERT_FALSE(Server().empty()) << "run through tests/download/http_test.py";
    // Warm up the socket library and the thread machinery so that what they
    // keep for the process does not count as left behind.
    {
        Download warm;
        TaskParam param;
        param.Url = "http://" + Server() + "/status/404";
        param.SavePath = SavePath("warm.bin");
        param.OnEvent = RecordEvent;
        finishedCount = 0;
        ASSERT_TRUE(warm.AddTask(param));
        ASSERT_TRUE(WaitFor([] { return finishedCount.load() == 1; }, 10000));
    }
    Sleep(200);
    int threads = ThreadCount();

    // The first stop may leave what the thread runtime creates once per
    // process (an event of its own); every later stop must leave nothing, so
    // the count after the first is the measure.
    StopOneDownload("stopped-1.bin");
    EXPECT_TRUE(WaitFor([&] { return ThreadCount() <= threads; }, 15000)) << ThreadCount() << " > " << threads;
    DWORD handles = HandleCount();
    EXPECT_GT(handles, 0u);  // the count is real, not a stub
    // Threads end and handles close a little after TaskFinished; on a busy
    // machine that takes seconds. What a stop leaks never goes.
    for (const char* name : {"stopped-2.bin", "stopped-3.bin", "stopped-4.bin"}) {
        StopOneDownload(name);
        EXPECT_TRUE(WaitFor([&] { return ThreadCount() <= threads; }, 15000)) << ThreadCount() << " > " << threads;
        EXPECT_TRUE(WaitFor([&] { return HandleCount() <= handles; }, 15000)) << HandleCount() << " > " << handles;
    }
}

TEST(Download, ReceivedBytesAfterTheEndAreZero) {
    ASSERT_FALSE(Server().empty());
    finishedCount = 0;
    Download download;
    TaskParam param;
    param.Url = "http://" + Server() + "/file/small.bin";
    param.SavePath = SavePath("ended.bin");
    param.OnEvent = RecordEvent;
    ASSERT_TRUE(download.AddTask(param));
    ASSERT_TRUE(WaitFor([] { return finishedCount.load() == 1; }, 10000));
    EXPECT_EQ(finishedValue.load(), 100000);
    EXPECT_TRUE(WaitFor([&] { return download.GetReceivedBytes() == 0; }, 2000));
    Bytes state;
    EXPECT_FALSE(download.StopTask(state));
    EXPECT_TRUE(download.AddTask(param));  // free again: a second task may start
    ASSERT_TRUE(WaitFor([] { return finishedCount.load() == 2; }, 10000));
}

}  // namespace
