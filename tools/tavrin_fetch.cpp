// tavrin-fetch URL SAVEPATH [options]: runs one download task and prints its
// events and status messages, for tests and benchmarks.
//   event CODE CONNECTION VALUE1 VALUE2
//   message LEVEL TEXT            (TEXT in UTF-8, line breaks as \r\n)
// and at the end "finished in MS ms"; with "--quiet yes" only that last line
// (a console write per event costs a benchmark its figure under Wine).
// Exit code 0: finished with every segment complete (and the file written);
// 1: ended incomplete;
// 2: bad arguments or the task was refused.
#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>

#include "download/core/state_blob.h"
#include "download/download.h"
#include "services/codepage.h"
#include "services/system_proxy.h"

namespace {

// The tool's own state, shared by its callbacks (which get no context).
struct FetchState {
    std::mutex printLock;
    std::int32_t fileExistsAnswer = 0;
    Download download;
    Bytes finalState;
    bool haveFinalState = false;
    bool someConnectionEnded = false;  // a connection that ended normally
    bool quiet = false;
    HANDLE finished = nullptr;
};
FetchState* state = nullptr;

std::string Utf8(std::string_view text936) {
    std::wstring wide = ToWideText(text936);
    int n = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), out.data(), n, nullptr, nullptr);
    return out;
}

std::string ShowBreaks(std::string_view text) {
    std::string out;
    for (char c : text) {
        if (c == '\r')
            out += "\\r";
        else if (c == '\n')
            out += "\\n";
        else
            out += c;
    }
    return out;
}

std::int32_t WINAPI OnEvent(std::int32_t event, std::intptr_t connection, std::int32_t value1, std::int32_t value2,
                            void*) {
    if (!state->quiet) {
        std::lock_guard guard(state->printLock);
        std::printf("event %d %d %d %d\n", static_cast<int>(event), static_cast<int>(connection),
                    static_cast<int>(value1), static_cast<int>(value2));
    }
    if (event == FileExists) return state->fileExistsAnswer;
    if (event == ConnectionEnded) state->someConnectionEnded = true;
    if (event == TaskFinished) {
        // The task is still attached while its TaskFinished runs (unless it was stopped).
        Bytes blob;
        if (state->download.GetTaskState(blob)) {
            std::lock_guard guard(state->printLock);
            state->finalState = blob;
            state->haveFinalState = true;
        }
        SetEvent(state->finished);
    }
    return 0;
}

std::int32_t WINAPI OnMessage(std::intptr_t, const char*, const char* text, std::int32_t level, void*) {
    if (state->quiet) return 0;
    std::lock_guard guard(state->printLock);
    std::printf("message %d %s\n", static_cast<int>(level), ShowBreaks(Utf8(text)).c_str());
    return 0;
}

bool ParseNumber(const std::string& text, std::int32_t& out) {
    char* end = nullptr;
    long value = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || *end || value < -2147483647L || value > 2147483647L) return false;
    out = static_cast<std::int32_t>(value);
    return true;
}

int Usage() {
    std::fprintf(stderr,
                 "usage: tavrin-fetch URL SAVEPATH [--connections N] [--proxy HOST:PORT] [--system-proxy yes]\n"
                 "       [--referer TEXT] [--quiet yes]\n"
                 "       [--speed-limit BYTES] [--stop-after MS] [--file-exists ANSWER]\n"
                 "       [--connect-timeout MS] [--receive-timeout MS] [--stop-timeout MS]\n"
                 "       [--ftp-user NAME] [--ftp-password TEXT] [--ftp-type N] [--binary-extensions LIST]\n");
    return 2;
}

}  // namespace

int main() {
    int argc = 0;
    wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (!wide || argc < 3) return Usage();
    std::vector<std::string> args;
    for (int i = 0; i < argc; ++i) args.push_back(FromWideText(wide[i]));
    LocalFree(wide);

    // Lines go out in blocks: a flush per line would slow a fast transfer.
    static char outputBuffer[1 << 16];
    std::setvbuf(stdout, outputBuffer, _IOFBF, sizeof outputBuffer);
    FetchState fetch;
    state = &fetch;
    TaskParam param;
    param.Url = args[1];
    param.SavePath = args[2];
    std::int32_t stopAfter = -1;
    for (std::size_t i = 3; i < args.size(); i += 2) {
        if (i + 1 >= args.size()) return Usage();
        const std::string& option = args[i];
        const std::string& value = args[i + 1];
        std::int32_t number = 0;
        bool numeric = ParseNumber(value, number);
        if (option == "--proxy")
            param.Proxy = value;
        else if (option == "--system-proxy" && value == "yes")
            param.Proxy = SystemProxyFor(param.Url);
        else if (option == "--referer")
            param.Referer = value;
        else if (option == "--quiet" && value == "yes")
            fetch.quiet = true;
        else if (option == "--ftp-user")
            param.FtpUser = value;
        else if (option == "--ftp-password")
            param.FtpPassword = value;
        else if (option == "--binary-extensions")
            param.BinaryExtensions = value;
        else if (!numeric)
            return Usage();
        else if (option == "--connections")
            param.ConnectionCount = number;
        else if (option == "--ftp-type")
            param.FtpTransferType = number;
        else if (option == "--speed-limit")
            param.SpeedLimit = number;
        else if (option == "--stop-after")
            stopAfter = number;
        else if (option == "--file-exists")
            fetch.fileExistsAnswer = number;
        else if (option == "--connect-timeout")
            param.ConnectTimeout = number;
        else if (option == "--receive-timeout")
            param.ReceiveTimeout = number;
        else if (option == "--stop-timeout")
            param.StopTimeout = number;
        else
            return Usage();
    }
    param.OnEvent = OnEvent;
    param.OnMessage = OnMessage;
    fetch.finished = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    if (!fetch.download.AddTask(param)) {
        std::fprintf(stderr, "tavrin-fetch: the task was refused\n");
        return 2;
    }
    if (stopAfter >= 0 && WaitForSingleObject(fetch.finished, static_cast<DWORD>(stopAfter)) == WAIT_TIMEOUT) {
        Bytes blob;
        ULONGLONG began = GetTickCount64();
        if (fetch.download.StopTask(blob)) {
            std::lock_guard guard(fetch.printLock);
            std::printf("stopped after %llu ms\n", static_cast<unsigned long long>(GetTickCount64() - began));
            fetch.finalState = blob;
            fetch.haveFinalState = true;
        }
    }
    WaitForSingleObject(fetch.finished, INFINITE);
    QueryPerformanceCounter(&end);
    std::lock_guard guard(fetch.printLock);
    std::printf("finished in %.1f ms\n",
                1000.0 * static_cast<double>(end.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart));
    // A file that could not be created leaves no connection that ended
    // normally, even when its segments are trivially complete (0 bytes).
    bool complete = fetch.haveFinalState && ReadBlobProgress(fetch.finalState).complete && fetch.someConnectionEnded;
    std::fflush(stdout);
    return complete ? 0 : 1;
}
