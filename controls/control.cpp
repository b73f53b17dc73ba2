#include "controls/control.h"

#include <windowsx.h>

#include "controls/loaded_window.h"
#include "controls/mouse_pointer.h"
#include "controls/tab_control.h"
#include "frame/application.h"
#include "frame/events.h"

namespace {

constexpr wchar_t kControlProperty[] = L"TavrinControl";
constexpr wchar_t kFrameClass[] = L"TavrinControl";

std::int32_t KeyState() {
    return (GetKeyState(VK_SHIFT) < 0 ? 1 : 0) | (GetKeyState(VK_CONTROL) < 0 ? 2 : 0) |
           (GetKeyState(VK_MENU) < 0 ? 4 : 0);
}

}  // namespace

Control::Control(LoadedWindow& window, const ControlRecord& record)
    : left_(record.left),
      top_(record.top),
      width_(record.width),
      height_(record.height),
      window_(window),
      record_(record),
      properties_(*FindTypeProperties(record.type)),
      own_(record.properties),
      visible_(record.flags & kFlagVisible),
      disabled_(record.flags & kFlagDisabled) {}

Control* Control::FromHandle(HWND handle) { return static_cast<Control*>(GetPropW(handle, kControlProperty)); }

const wchar_t* Control::ClassName() const {
    static const wchar_t* name = RegisterFrameClass(kFrameClass);
    return name;
}

const wchar_t* RegisterFrameClass(const wchar_t* name) {
    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.style = CS_DBLCLKS;
    windowClass.lpfnWndProc = DefWindowProcW;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    windowClass.lpszClassName = name;
    RegisterClassExW(&windowClass);
    return name;
}

DWORD Control::Style() const { return WS_CHILD | WS_CLIPSIBLINGS | WS_CLIPCHILDREN; }

bool Control::Create(HWND parent) {
    DWORD style = Style();
    if (disabled_) style |= WS_DISABLED;
    if (record_.flags & kFlagTabStop) style |= WS_TABSTOP;
    const wchar_t* className = ClassName();
    bool frameClass = !IsSystemClass();
    HWND handle = CreateWindowExW(ExtendedStyle(), className, L"", style & ~WS_VISIBLE, left_, top_, width_, height_,
                                  parent, nullptr, GetModuleHandleW(nullptr), nullptr);
    if (!handle) return false;
    Attach(handle);
    // System classes keep their own procedure behind ours; the frame class
    // has none of its own.
    WNDPROC previous = reinterpret_cast<WNDPROC>(SetWindowLongPtrW(
        handle, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(frameClass ? FrameProcedure : SubclassProcedure)));
    if (!frameClass) systemProcedure_ = previous;
    ApplyMousePointer();
    return true;
}

void Control::Attach(HWND handle) {
    handle_ = handle;
    SetPropW(handle, kControlProperty, this);
}

LRESULT CALLBACK Control::FrameProcedure(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) {
    Control* control = FromHandle(handle);
    if (control) {
        bool handled = false;
        LRESULT result = control->HandleMessage(message, wParam, lParam, handled);
        if (message == WM_NCDESTROY) {
            RemovePropW(handle, kControlProperty);
            control->handle_ = nullptr;
        }
        if (handled) return result;
    }
    return DefWindowProcW(handle, message, wParam, lParam);
}

LRESULT CALLBACK Control::SubclassProcedure(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) {
    Control* control = FromHandle(handle);
    if (!control) return DefWindowProcW(handle, message, wParam, lParam);
    bool handled = false;
    LRESULT result = control->HandleMessage(message, wParam, lParam, handled);
    if (!handled) result = control->CallSystemProcedure(message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        RemovePropW(handle, kControlProperty);
        control->handle_ = nullptr;
    }
    return result;
}

LRESULT Control::CallSystemProcedure(UINT message, WPARAM wParam, LPARAM lParam) {
    return CallWindowProcW(systemProcedure_, handle_, message, wParam, lParam);
}

LRESULT Control::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) {
    if (CommonEvent(message, wParam, lParam)) return 0;
    switch (message) {
        case WM_PAINT:
            if (IsSystemClass()) break;
            PaintBuffered(
                handle_, [](void* self, HDC dc, const RECT& area) { static_cast<Control*>(self)->Paint(dc, area); },
                this);
            handled = true;
            return 0;
        case WM_ERASEBKGND:
            if (IsSystemClass()) break;
            handled = true;  // painting covers the whole area
            return 1;
        case WM_SETCURSOR:
            if (pointer_ && LOWORD(lParam) == HTCLIENT) {
                SetCursor(pointer_.get());
                handled = true;
                return TRUE;
            }
            break;
        case kCreationCompleteMessage:
            CreationComplete();
            handled = true;
            return 0;
        case WM_COMMAND:
        case WM_DRAWITEM:
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORSTATIC: {
            // Notifications of a child control are its own business.
            HWND child = message == WM_DRAWITEM ? reinterpret_cast<DRAWITEMSTRUCT*>(lParam)->hwndItem
                                                : reinterpret_cast<HWND>(lParam);
            Control* target = child ? FromHandle(child) : nullptr;
            if (!target || target == this) break;
            bool reflectedHandled = false;
            LRESULT result = target->HandleMessage(kReflectBase + message, wParam, lParam, reflectedHandled);
            if (reflectedHandled) {
                handled = true;
                return result;
            }
            break;
        }
    }
    return 0;
}

// Mouse, keyboard and focus messages raise the common events; the message
// still takes its normal course afterwards.
bool Control::CommonEvent(UINT message, WPARAM wParam, LPARAM lParam) {
    auto mouse = [&](int number) {
        Raise(number, {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam), static_cast<std::int32_t>(wParam & 0xFFFF)});
    };
    switch (message) {
        case WM_LBUTTONDOWN: mouse(-1); break;
        case WM_LBUTTONUP: mouse(-2); break;
        case WM_LBUTTONDBLCLK: mouse(-3); break;
        case WM_RBUTTONDOWN: mouse(-4); break;
        case WM_RBUTTONUP: mouse(-5); break;
        case WM_MOUSEMOVE: mouse(-6); break;
        case WM_SETFOCUS: Raise(-7); break;
        case WM_KILLFOCUS: Raise(-8); break;
        case WM_KEYDOWN: Raise(-9, {static_cast<std::int32_t>(wParam), KeyState()}); break;
        case WM_KEYUP: Raise(-10, {static_cast<std::int32_t>(wParam), KeyState()}); break;
        case WM_CHAR: Raise(-11, {static_cast<std::int32_t>(wParam)}); break;
        case WM_MOUSEWHEEL: Raise(-12, {GET_WHEEL_DELTA_WPARAM(wParam), GET_KEYSTATE_WPARAM(wParam)}); break;
    }
    return false;
}

EventResult Control::Raise(int number, std::initializer_list<std::int32_t> values) {
    return RaiseEvent(window_.id(), id(), number, values);
}

void Control::Paint(HDC dc, const RECT& area) { FillColor(dc, area, GetSysColor(COLOR_BTNFACE)); }

void Control::OwnPropertyChanged(int) {
    if (handle_) InvalidateRect(handle_, nullptr, FALSE);
}

bool Control::ReadOwnProperty(int, PropertyValue&) { return false; }

std::int32_t Control::Number(int own) const {
    const std::int32_t* value = std::get_if<std::int32_t>(&own_[own]);
    return value ? *value : 0;
}

std::int32_t Control::ClampedNumber(int own) const {
    const PropertyField* field = FindOwnField(properties_, own);
    return field ? ClampToField(*field, Number(own)) : Number(own);
}

const Text& Control::TextValue(int own) const {
    static const Text empty;
    const Text* value = std::get_if<Text>(&own_[own]);
    return value ? *value : empty;
}

const Bytes& Control::BytesValue(int own) const {
    static const Bytes empty;
    const Bytes* value = std::get_if<Bytes>(&own_[own]);
    return value ? *value : empty;
}

const TextList& Control::TextListValue(int own) const {
    static const TextList empty;
    const TextList* value = std::get_if<TextList>(&own_[own]);
    return value ? *value : empty;
}

PropertyValue Control::GetProperty(int number) {
    if (number >= kFirstOwnProperty) {
        int own = number - kFirstOwnProperty;
        PropertyValue value;
        if (ReadOwnProperty(own, value)) return value;
        return own_[own];
    }
    if (number <= kHeight && handle_) {
        RECT box;
        GetWindowRect(handle_, &box);
        HWND parent = (GetWindowLongW(handle_, GWL_STYLE) & WS_CHILD) ? GetParent(handle_) : nullptr;
        if (parent) MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&box), 2);
        left_ = box.left, top_ = box.top, width_ = box.right - box.left, height_ = box.bottom - box.top;
    }
    switch (number) {
        case kLeft: return left_;
        case kTop: return top_;
        case kWidth: return width_;
        case kHeight: return height_;
        case kTag: return tag_;
        case kVisible: return static_cast<std::int32_t>(visible_);
        case kDisable: return static_cast<std::int32_t>(disabled_);
        default: return pointerBytes_;
    }
}

void Control::SetProperty(int number, const PropertyValue& value) {
    if (number < kFirstOwnProperty) return SetCommonProperty(number, value);
    int own = number - kFirstOwnProperty;
    own_[own] = value;
    if (const PropertyField* field = FindOwnField(properties_, own);
        field && std::holds_alternative<std::int32_t>(value))
        own_[own] = ClampToField(*field, std::get<std::int32_t>(value));
    OwnPropertyChanged(own);
}

void Control::SetCommonProperty(int number, const PropertyValue& value) {
    const std::int32_t* numberValue = std::get_if<std::int32_t>(&value);
    switch (number) {
        case kLeft:
        case kTop:
        case kWidth:
        case kHeight: {
            GetProperty(kLeft);  // the current place, moved by the window manager perhaps
            std::int32_t* fields[] = {&left_, &top_, &width_, &height_};
            *fields[number] = *numberValue;
            if (handle_) SetWindowPos(handle_, nullptr, left_, top_, width_, height_, SWP_NOZORDER | SWP_NOACTIVATE);
            return;
        }
        case kTag: tag_ = std::get<Text>(value); return;
        case kVisible:
            visible_ = *numberValue != 0;
            ApplyVisibility();
            return;
        case kDisable:
            disabled_ = *numberValue != 0;
            if (handle_) EnableWindow(handle_, !disabled_);
            if (handle_) InvalidateRect(handle_, nullptr, FALSE);
            return;
        default:
            pointerBytes_ = std::get<Bytes>(value);
            ApplyMousePointer();
            return;
    }
}

void Control::ApplyMousePointer() { pointer_ = CursorFromBytes(pointerBytes_); }

void Control::ApplyVisibility() {
    if (!handle_) return;
    bool shown = visible_;
    if (auto* tab = dynamic_cast<TabControl*>(window_.Find(parentId())); tab && parentId() != 0)
        shown = shown && tab->ShowsControl(id());
    ShowWindow(handle_, shown ? SW_SHOWNA : SW_HIDE);
}

void PaintBuffered(HWND handle, void (*paint)(void* context, HDC dc, const RECT& area), void* context) {
    PAINTSTRUCT paintStruct;
    HDC screen = BeginPaint(handle, &paintStruct);
    RECT area;
    GetClientRect(handle, &area);
    if (area.right > 0 && area.bottom > 0) {
        HDC memory = CreateCompatibleDC(screen);
        GdiObject bitmap(CreateCompatibleBitmap(screen, area.right, area.bottom));
        HGDIOBJ previous = SelectObject(memory, bitmap.get());
        paint(context, memory, area);
        BitBlt(screen, 0, 0, area.right, area.bottom, memory, 0, 0, SRCCOPY);
        SelectObject(memory, previous);
        DeleteDC(memory);
    }
    EndPaint(handle, &paintStruct);
}

void FillColor(HDC dc, const RECT& area, COLORREF color) {
    COLORREF previous = SetBkColor(dc, color);
    ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &area, nullptr, 0, nullptr);
    SetBkColor(dc, previous);
}

COLORREF ColorOrDefault(std::int32_t stored, int fallback) {
    return stored == kDefaultColor ? GetSysColor(fallback) : static_cast<COLORREF>(stored) & 0xFFFFFF;
}
