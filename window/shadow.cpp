#include "window/shadow.h"

#include <unknwn.h>

#include <atomic>

#include "services/handle.h"
#include "services/system_dlls.h"
#include "window/shadow_render.h"

namespace {

constexpr wchar_t kClassName[] = L"z3105Shadow";
constexpr wchar_t kSavedProcProperty[] = L"shadow.prop.wndproc";
constexpr wchar_t kInfoProperty[] = L"shadow.prop.info";

// Module state: the registered class; the instance is 0 by design.
struct ShadowModule {
    ATOM atom = 0;
    HINSTANCE instance = nullptr;
};
ShadowModule module;

// Written on the window thread, read by tests on the same or another thread.
std::atomic<unsigned> renders{0};

LRESULT CALLBACK ShadowWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK ShadowOwnerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

WNDPROC SavedProc(HWND owner) { return reinterpret_cast<WNDPROC>(GetPropW(owner, kSavedProcProperty)); }
ShadowInfo* InfoOf(HWND owner) { return static_cast<ShadowInfo*>(GetPropW(owner, kInfoProperty)); }

bool CreateShadowWindow(HWND owner, ShadowInfo* info) {
    if (!info || info->shadowWindow) return false;  // one shadow per owner
    HWND shadow =
        CreateWindowExW(WS_EX_LAYERED | WS_EX_NOACTIVATE | WS_EX_TRANSPARENT,
                        reinterpret_cast<LPCWSTR>(static_cast<ULONG_PTR>(module.atom)), L"",
                        WS_POPUP | WS_VISIBLE | WS_DISABLED, 0, 0, 0, 0, owner, nullptr, module.instance, info);
    return shadow != nullptr;
}

bool DestroyShadowWindow(ShadowInfo* info) {
    if (!info) return false;
    DestroyWindow(info->shadowWindow);
    info->shadowWindow = nullptr;
    return true;
}

LRESULT ShadowControl(HWND owner, ShadowInfo* info, WPARAM action) {
    switch (action) {
        case 1: return CreateShadowWindow(owner, info) ? 1 : 0;
        case 0: return DestroyShadowWindow(info) ? 1 : 0;
        case 2: ShadowUpdate(owner, info, false); return 1;
    }
    return 0;
}

void FollowMove(HWND owner, const ShadowInfo* info) {
    if (!info || !info->shadowWindow) return;
    RECT rect;
    if (!GetWindowRect(owner, &rect) || rect.left > rect.right || rect.top > rect.bottom) return;
    // The same margin as the redraw, so that a moved shadow lies where a
    // redrawn one would.
    const int margin = ShadowMargin(info->size);
    SetWindowPos(info->shadowWindow, HWND_TOP, rect.left + info->offsetX - margin, rect.top + info->offsetY - margin, 0,
                 0, SWP_NOSIZE | SWP_NOACTIVATE);
}

LRESULT CALLBACK ShadowOwnerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    WNDPROC saved = SavedProc(window);
    ShadowInfo* info = InfoOf(window);
    switch (message) {
        case WM_SHADOW_CONTROL: return ShadowControl(window, info, wParam);
        case WM_SIZE:
        case WM_DISPLAYCHANGE: ShadowUpdate(window, info, false); break;
        case WM_SHOWWINDOW: ShadowUpdate(window, info, wParam == 0); break;
        case WM_MOVE: FollowMove(window, info); break;
    }
    return saved ? CallWindowProcW(saved, window, message, wParam, lParam)
                 : DefWindowProcW(window, message, wParam, lParam);
}

LRESULT CALLBACK ShadowWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE: {
            auto* info = static_cast<ShadowInfo*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
            info->shadowWindow = window;
            SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(info));
            ShadowUpdate(GetParent(window), info, false);
            return 0;
        }
        case WM_DESTROY: SetWindowLongPtrW(window, GWLP_USERDATA, 0); return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

// Looks for the hardware drawing path and lets it go again: the software
// renderer is the one used, but the libraries are probed as the system does.
void ProbeHardwareDrawing() {
    ModuleHandle d3d = LoadSystemDll(L"d3d11.dll");
    ModuleHandle d2d = LoadSystemDll(L"d2d1.dll");
    if (!d3d || !d2d) return;
    if (!GetProcAddress(d3d.get(), "D3D11CreateDevice")) return;
    using CreateFactory = HRESULT(WINAPI*)(int type, const GUID& iid, const void* options, void** factory);
    auto create =
        reinterpret_cast<CreateFactory>(reinterpret_cast<void*>(GetProcAddress(d2d.get(), "D2D1CreateFactory")));
    if (!create) return;
    static const GUID kFactoryIid = {0x06152247, 0x6f50, 0x465a, {0x92, 0x45, 0x11, 0x8b, 0xfd, 0x3b, 0x60, 0x07}};
    IUnknown* factory = nullptr;
    if (SUCCEEDED(create(0 /* single-threaded */, kFactoryIid, nullptr, reinterpret_cast<void**>(&factory))) && factory)
        factory->Release();
}

}  // namespace

bool ShadowRegisterClass() {
    WNDCLASSW shadowClass = {};
    shadowClass.lpfnWndProc = ShadowWndProc;
    shadowClass.hInstance = nullptr;
    shadowClass.lpszClassName = kClassName;
    module.atom = static_cast<ATOM>(RegisterClassW(&shadowClass) & 0xFFFF);
    module.instance = nullptr;
    ProbeHardwareDrawing();
    return module.atom != 0;
}

bool ShadowAttach(HWND owner, ShadowInfo* info) {
    if (SavedProc(owner)) return false;  // already attached
    auto previous = GetWindowLongPtrW(owner, GWLP_WNDPROC);
    if (!previous) return false;
    if (!SetPropW(owner, kSavedProcProperty, reinterpret_cast<HANDLE>(previous))) return false;
    if (!SetPropW(owner, kInfoProperty, info)) return false;
    if (!ShadowControl(owner, info, 1)) return false;
    SetWindowLongPtrW(owner, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ShadowOwnerProc));
    return true;
}

void ShadowDetach(HWND owner) {
    WNDPROC saved = SavedProc(owner);
    ShadowInfo* info = InfoOf(owner);
    if (!saved || !info) return;
    ShadowControl(owner, info, 0);
    SetWindowLongPtrW(owner, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(saved));
    RemovePropW(owner, kInfoProperty);
    RemovePropW(owner, kSavedProcProperty);
}

void ShadowUpdate(HWND owner, ShadowInfo* info, bool hide) {
    if (!info || !info->shadowWindow) return;
    if (hide) {
        ShowWindow(info->shadowWindow, SW_HIDE);
        return;
    }
    ShowWindow(info->shadowWindow, SW_SHOWNA);
    ShadowCanvas canvas;
    POINT position;
    if (!PaintOwnerShadow(owner, *info, canvas, position)) return;
    renders.fetch_add(1);
    SIZE size = {canvas.width(), canvas.height()};
    POINT origin = {0, 0};
    BLENDFUNCTION blend = {AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    UpdateLayeredWindow(info->shadowWindow, nullptr, &position, &size, canvas.dc(), &origin, 0, &blend, ULW_ALPHA);
}

unsigned ShadowRenderCount() { return renders.load(); }
