#include "installer/single_instance.h"

#include <wincrypt.h>

#include <array>
#include <cstdint>

#include "installer/core/instance_key.h"
#include "services/handle.h"
#include "services/program.h"

namespace {

// MD5 of the bytes through the system cryptography provider; empty on failure.
Text Md5Key(std::string_view bytes) {
    HCRYPTPROV provider = 0;
    if (!CryptAcquireContextA(&provider, nullptr, nullptr, PROV_RSA_FULL, CRYPT_VERIFYCONTEXT) &&
        !CryptAcquireContextA(&provider, nullptr, nullptr, PROV_RSA_FULL, 0))
        return {};
    Text key;
    HCRYPTHASH hash = 0;
    if (CryptCreateHash(provider, CALG_MD5, 0, 0, &hash)) {
        std::array<std::uint8_t, 16> digest{};
        DWORD size = static_cast<DWORD>(digest.size());
        if (CryptHashData(hash, reinterpret_cast<const BYTE*>(bytes.data()), static_cast<DWORD>(bytes.size()), 0) &&
            CryptGetHashParam(hash, HP_HASHVAL, digest.data(), &size, 0) && size == digest.size())
            key = SingleInstanceKey(digest);
        CryptDestroyHash(hash);
    }
    CryptReleaseContext(provider, 0);
    return key;
}

Text ProgramPath() {
    char path[260] = {};
    GetModuleFileNameA(nullptr, path, sizeof path);
    return path;
}

// Kept open for the life of the process: the section lives as long as it.
KernelHandle guardSection;

// The handle travels as 32 bits, as a 32-bit program's window handles are;
// a 64-bit build's handles fit too (the system keeps them below 2^32).
std::uint32_t ReadPublishedWindow(HANDLE section) {
    std::uint32_t window = 0;
    if (void* view = MapViewOfFile(section, FILE_MAP_READ, 0, 0, 0)) {
        window = *static_cast<const std::uint32_t*>(view);
        UnmapViewOfFile(view);
    }
    return window;
}

void PublishWindow(HANDLE section, HWND window) {
    if (void* view = MapViewOfFile(section, FILE_MAP_WRITE, 0, 0, 0)) {
        *static_cast<std::uint32_t*>(view) = static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(window));
        UnmapViewOfFile(view);
    }
}

}  // namespace

bool GuardSingleInstance(HWND window, std::string_view name) {
    Text key = Md5Key(name.empty() ? std::string_view(ProgramPath()) : name);
    KernelHandle existing(OpenFileMappingA(FILE_MAP_READ, TRUE, key.c_str()));
    if (!existing) {
        KernelHandle section(CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 4, key.c_str()));
        // Two starts at the same moment both miss the open; the later create
        // then finds the section of the earlier one.
        if (section && GetLastError() == ERROR_ALREADY_EXISTS) {
            existing = std::move(section);
        } else {
            if (section) {
                PublishWindow(section.get(), window);
                guardSection = std::move(section);
            }
            return false;
        }
    }
    HWND first = reinterpret_cast<HWND>(static_cast<std::uintptr_t>(ReadPublishedWindow(existing.get())));
    if (first && IsWindow(first)) BringWindowForward(first);
    TerminateProcess(GetCurrentProcess(), 0);
    return true;
}

HWND BringWindowForward(HWND target) {
    HWND before = GetForegroundWindow();
    ShowWindow(target, SW_RESTORE);
    Sleep(2);
    DWORD targetThread = GetWindowThreadProcessId(target, nullptr);
    AttachThreadInput(targetThread, GetCurrentThreadId(), TRUE);
    SetActiveWindow(target);
    SetWindowPos(target, HWND_TOP, 0, 0, 0, 0, SWP_ASYNCWINDOWPOS | SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
    SetForegroundWindow(target);
    AttachThreadInput(targetThread, GetCurrentThreadId(), FALSE);
    Sleep(2);
    return GetForegroundWindow() == target ? before : nullptr;
}
