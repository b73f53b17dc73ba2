// What a careful Windows program would do to download a file, as the
// engine's peer under the same Wine: WinHTTP, one connection, synchronous
// reads of 256 KiB written with WriteFile.
//   winhttp-fetch URL SAVEPATH        (http:// or https://)
// Exit code 0 when the whole body arrived with status 200.
#include <windows.h>
#include <winhttp.h>

#include <cstdio>
#include <vector>

namespace {

struct Handle {
    HINTERNET h = nullptr;
    ~Handle() {
        if (h) WinHttpCloseHandle(h);
    }
};

int Fail(const char* what) {
    std::fprintf(stderr, "winhttp-fetch: %s (%lu)\n", what, GetLastError());
    return 1;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 3) return Fail("usage: winhttp-fetch URL SAVEPATH");
    URL_COMPONENTS parts = {};
    parts.dwStructSize = sizeof parts;
    wchar_t host[256], path[2048];
    parts.lpszHostName = host, parts.dwHostNameLength = 256;
    parts.lpszUrlPath = path, parts.dwUrlPathLength = 2048;
    if (!WinHttpCrackUrl(argv[1], 0, 0, &parts)) return Fail("bad URL");
    bool secure = parts.nScheme == INTERNET_SCHEME_HTTPS;

    Handle session{
        WinHttpOpen(L"winhttp-fetch", WINHTTP_ACCESS_TYPE_NO_PROXY, WINHTTP_NO_PROXY_NAME, WINHTTP_NO_PROXY_BYPASS, 0)};
    if (!session.h) return Fail("no session");
    Handle connection{WinHttpConnect(session.h, host, parts.nPort, 0)};
    if (!connection.h) return Fail("no connection");
    Handle request{WinHttpOpenRequest(connection.h, L"GET", path, nullptr, WINHTTP_NO_REFERER,
                                      WINHTTP_DEFAULT_ACCEPT_TYPES, secure ? WINHTTP_FLAG_SECURE : 0)};
    if (!request.h) return Fail("no request");
    if (!WinHttpSendRequest(request.h, WINHTTP_NO_ADDITIONAL_HEADERS, 0, WINHTTP_NO_REQUEST_DATA, 0, 0, 0) ||
        !WinHttpReceiveResponse(request.h, nullptr))
        return Fail("no answer");
    DWORD status = 0, size = sizeof status;
    WinHttpQueryHeaders(request.h, WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER, WINHTTP_HEADER_NAME_BY_INDEX,
                        &status, &size, WINHTTP_NO_HEADER_INDEX);
    if (status != 200) return Fail("status is not 200");

    HANDLE file = CreateFileW(argv[2], GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return Fail("no file");
    std::vector<char> buffer(256 * 1024);
    bool ok = true;
    while (true) {
        DWORD read = 0, written = 0;
        if (!WinHttpReadData(request.h, buffer.data(), static_cast<DWORD>(buffer.size()), &read)) {
            ok = false;
            break;
        }
        if (read == 0) break;
        if (!WriteFile(file, buffer.data(), read, &written, nullptr) || written != read) {
            ok = false;
            break;
        }
    }
    CloseHandle(file);
    return ok ? 0 : Fail("cut short");
}
