#include "controls/form.h"

#include "controls/loaded_window.h"
#include "controls/mouse_pointer.h"
#include "frame/application.h"
#include "services/codepage.h"

const wchar_t* Form::ClassName() const {
    static const wchar_t* name = RegisterFrameClass(L"TavrinWindow");
    return name;
}

DWORD Form::Style() const {
    DWORD caption = WS_CAPTION | WS_SYSMENU | (Number(kMaximizeBox) ? WS_MAXIMIZEBOX : 0) |
                    (Number(kMinimizeBox) ? WS_MINIMIZEBOX : 0);
    switch (ClampedNumber(kBorderStyle)) {
        case 0: return WS_POPUP | WS_CLIPCHILDREN;                                          // no border and no caption
        case 1: return WS_POPUP | WS_CLIPCHILDREN | caption;                                // fixed single
        case 2: return WS_POPUP | WS_CLIPCHILDREN | caption | WS_THICKFRAME;                // sizable
        case 3: return WS_POPUP | WS_CLIPCHILDREN | WS_CAPTION | WS_SYSMENU | WS_DLGFRAME;  // fixed dialog
        case 4: return WS_POPUP | WS_CLIPCHILDREN | WS_BORDER;                              // thin border, no caption
        case 5: return WS_POPUP | WS_CLIPCHILDREN | WS_CAPTION | WS_SYSMENU;                // fixed tool window
        default: return WS_POPUP | WS_CLIPCHILDREN | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME;  // sizable tool window
    }
}

DWORD Form::ExtendedStyle() const {
    int border = ClampedNumber(kBorderStyle);
    return (border >= 5 ? WS_EX_TOOLWINDOW : 0) | (border == 3 ? WS_EX_DLGMODALFRAME : 0) |
           (Number(kAlwaysOnTop) ? WS_EX_TOPMOST : 0);
}

bool Form::Create(HWND owner) {
    if (ClampedNumber(kStartPosition) == 1) {
        left_ = (GetSystemMetrics(SM_CXSCREEN) - width_) / 2;
        top_ = (GetSystemMetrics(SM_CYSCREEN) - height_) / 2;
    }
    if (!Control::Create(owner)) return false;
    picture_.Set(BytesValue(kPicture));
    ApplyTitle();
    ApplyIcon();
    if (!Number(kCloseEntry)) EnableMenuItem(GetSystemMenu(handle_, FALSE), SC_CLOSE, MF_BYCOMMAND | MF_GRAYED);
    return true;
}

void Form::ApplyTitle() { SetWindowTextW(handle_, ToWideText(TextValue(kTitle)).c_str()); }

void Form::ApplyIcon() {
    bigIcon_ = IconFromBytes(BytesValue(kIcon), GetSystemMetrics(SM_CXICON));
    smallIcon_ = IconFromBytes(BytesValue(kIcon), GetSystemMetrics(SM_CXSMICON));
    SendMessageW(handle_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(bigIcon_.get()));
    SendMessageW(handle_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon_.get()));
}

void Form::ApplyVisibility() {
    if (!handle_) return;
    int show = SW_HIDE;
    if (visible_) {
        int start = ClampedNumber(kStartPosition);
        show = shownOnce_ || start < 2 ? SW_SHOW : start == 2 ? SW_SHOWMINIMIZED : SW_SHOWMAXIMIZED;
        shownOnce_ = true;
    }
    ShowWindow(handle_, show);
}

void Form::OwnPropertyChanged(int own) {
    if (!handle_) return;
    switch (own) {
        case kTitle: ApplyTitle(); return;
        case kIcon: ApplyIcon(); return;
        case kPicture: picture_.Set(BytesValue(kPicture)); break;
        case kAlwaysOnTop:
            SetWindowPos(handle_, Number(kAlwaysOnTop) ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                         SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
            return;
    }
    InvalidateRect(handle_, nullptr, FALSE);
    RedrawWindow(handle_, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN);
}

void Form::Paint(HDC dc, const RECT& area) {
    COLORREF background = ColorOrDefault(Number(kBackColor), COLOR_BTNFACE);
    FillColor(dc, area, background);
    if (picture_.empty()) return;
    int mode = ClampedNumber(kPictureMode);
    if (mode == 3) {  // tiled
        for (int y = 0; y < area.bottom; y += picture_.height())
            for (int x = 0; x < area.right; x += picture_.width())
                picture_.Draw(dc, {x, y, picture_.width(), picture_.height()}, background);
        return;
    }
    picture_.Draw(dc, PlacePicture(mode, picture_.width(), picture_.height(), area.right, area.bottom), background);
}

LRESULT Form::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) {
    auto cancels = [](const EventResult& result) { return result && *result == 0; };
    switch (message) {
        case WM_CLOSE:
            // The close request first, then the close query; either may refuse.
            handled = true;
            if (cancels(Raise(kCloseRequested)) || cancels(Raise(kCloseQuery))) return 0;
            DestroyWindow(handle_);
            return 0;
        case WM_QUERYENDSESSION: handled = true; return cancels(Raise(kCloseQuery)) ? FALSE : TRUE;
        case WM_DESTROY: Raise(kDestroying); break;
        case WM_MOVE: Raise(kMoved); break;
        case WM_SIZE: Raise(kResized); break;
        case WM_SHOWWINDOW: Raise(wParam ? kShown : kHidden); break;
        case WM_NCDESTROY: {
            // The last loaded window gone ends the message loop.
            bool another = false;
            for (auto& loaded : App().windows)
                if (&loaded->form() != this && loaded->alive()) another = true;
            if (!another) PostQuitMessage(0);
            break;
        }
    }
    return Control::HandleMessage(message, wParam, lParam, handled);
}
