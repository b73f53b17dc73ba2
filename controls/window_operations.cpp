#include "controls/window_operations.h"

#include <charconv>

#include "controls/loaded_window.h"
#include "frame/application.h"
#include "frame/core/fatal.h"
#include "frame/frame.h"

namespace {

enum class Access { Read, Write };

// The control a property access is for; fatal when its window was never
// loaded or it is not in it, or for own properties of a destroyed window.
Control& AccessedControl(std::uint32_t window, std::uint32_t control, int number, Access access) {
    LoadedWindow* loaded = FindLoadedWindow(window);
    int first = static_cast<int>(window), second = static_cast<int>(control);
    if (!loaded) ReportFatalError("未载入欲访问窗口组件所在的窗口", 0, first, second);
    Control* found = loaded->Find(control);
    if (!found) ReportFatalError("指定窗口或窗口组件不存在或尚未载入", 0, first, second);
    if (number >= kFirstOwnProperty && !loaded->alive())
        ReportFatalError(
            access == Access::Write ? "修改组件属性时发现指定窗口尚未载入" : "读取组件属性时发现指定窗口尚未载入", 0,
            first, second);
    return *found;
}

// The kind property `number` of `control` holds.
enum class Kind { Number, Text, Bytes, TextList };

Kind KindOf(const Control& control, int number) {
    switch (number) {
        case kTag: return Kind::Text;
        case kMousePointer: return Kind::Bytes;
    }
    if (number < kFirstOwnProperty) return Kind::Number;
    const PropertyField* field = FindOwnField(*FindTypeProperties(control.type()), number - kFirstOwnProperty);
    switch (field->kind) {
        case StoredKind::Word:
        case StoredKind::HalfWord: return Kind::Number;
        case StoredKind::Text: return Kind::Text;
        case StoredKind::Block: return Kind::Bytes;
        case StoredKind::PageNames: return Kind::TextList;
    }
    return Kind::Number;
}

// A value converted to the property's kind: a number written to a text
// property becomes its decimal text, a text to a byte property its bytes;
// anything but a number for a numeric property is fatal.
PropertyValue Converted(const Control& control, int number, const PropertyValue& value, int first, int second) {
    switch (KindOf(control, number)) {
        case Kind::Number:
            if (!std::holds_alternative<std::int32_t>(value))
                ReportFatalError("欲转换数据类型不是数值", 0, first, second);
            return value;
        case Kind::Text:
            if (auto* n = std::get_if<std::int32_t>(&value)) return std::to_string(*n);
            if (auto* b = std::get_if<Bytes>(&value)) return Text(b->begin(), b->end());
            if (auto* t = std::get_if<Text>(&value)) return *t;
            break;
        case Kind::Bytes:
            if (auto* t = std::get_if<Text>(&value)) return Bytes(t->begin(), t->end());
            if (auto* b = std::get_if<Bytes>(&value)) return *b;
            break;
        case Kind::TextList:
            if (auto* list = std::get_if<TextList>(&value)) return *list;
            if (auto* t = std::get_if<Text>(&value)) return TextList{*t};
            break;
    }
    RaiseRuntimeError(5, first, second);
}

bool ValidNumber(const Control& control, int number) {
    if (number < 0) return false;
    if (number < kFirstOwnProperty) return true;
    return FindOwnField(*FindTypeProperties(control.type()), number - kFirstOwnProperty) != nullptr;
}

}  // namespace

PropertyValue GetProperty(std::uint32_t window, std::uint32_t control, int number) {
    PropertyValue value = std::int32_t{0};
    RunOnUserInterfaceThread([&] {
        Control& target = AccessedControl(window, control, number, Access::Read);
        if (!ValidNumber(target, number)) RaiseRuntimeError(1, static_cast<int>(window), static_cast<int>(control));
        value = target.GetProperty(number);
    });
    return value;
}

void SetProperty(std::uint32_t window, std::uint32_t control, int number, const PropertyValue& value) {
    RunOnUserInterfaceThread([&] {
        Control& target = AccessedControl(window, control, number, Access::Write);
        int first = static_cast<int>(window), second = static_cast<int>(control);
        if (!ValidNumber(target, number)) RaiseRuntimeError(1, first, second);
        target.SetProperty(number, Converted(target, number, value, first, second));
    });
}

std::int32_t GetNumberProperty(std::uint32_t window, std::uint32_t control, int number) {
    PropertyValue value = GetProperty(window, control, number);
    const std::int32_t* result = std::get_if<std::int32_t>(&value);
    if (!result) RaiseRuntimeError(5, static_cast<int>(window), static_cast<int>(control));
    return *result;
}

Text GetTextProperty(std::uint32_t window, std::uint32_t control, int number) {
    PropertyValue value = GetProperty(window, control, number);
    if (const Text* text = std::get_if<Text>(&value)) return *text;
    if (const std::int32_t* n = std::get_if<std::int32_t>(&value)) return std::to_string(*n);
    RaiseRuntimeError(5, static_cast<int>(window), static_cast<int>(control));
}

HWND GetWindowHandle(std::uint32_t window, std::uint32_t control) {
    LoadedWindow* loaded = FindLoadedWindow(window);
    Control* found = loaded ? loaded->Find(control) : nullptr;
    if (!found || !found->handle())
        ReportFatalError("指定窗口或窗口组件不存在或尚未载入", 0, static_cast<int>(window), static_cast<int>(control));
    return found->handle();
}

LRESULT SendWindowMessage(std::uint32_t window, std::uint32_t control, UINT message, WPARAM wParam, LPARAM lParam) {
    return SendMessageA(GetWindowHandle(window, control), message, wParam, lParam);
}

void ActivateWindow(std::uint32_t window) {
    // Activation is the window's own thread's business.
    RunOnUserInterfaceThread([&] {
        LoadedWindow* loaded = FindLoadedWindow(window);
        if (!loaded || !loaded->alive())
            ReportFatalError("指定窗口或窗口组件不存在或尚未载入", 0, static_cast<int>(window), 0);
        // Nothing to do when the window or one it owns is active: activating
        // the owner again would raise it over its owned windows where no
        // window manager keeps them above (Wine's unmanaged windows), and
        // the system would keep the window group in front anyway.
        HWND active = GetActiveWindow();
        if (active == loaded->handle() || (active && GetWindow(active, GW_OWNER) == loaded->handle())) return;
        SetActiveWindow(loaded->handle());
    });
}

int SetOpacity(HWND window, int alpha) {
    using SetLayered = BOOL(WINAPI*)(HWND, COLORREF, BYTE, DWORD);
    // Looked up at run time: systems without layered windows simply lack it.
    auto setLayered = reinterpret_cast<SetLayered>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "SetLayeredWindowAttributes")));
    if (!setLayered) return 0;
    if (alpha < 0 || alpha > 255) alpha = 255;
    SetWindowLongW(window, GWL_EXSTYLE, WS_EX_LAYERED);
    return setLayered(window, 0, static_cast<BYTE>(alpha), LWA_ALPHA);
}

LRESULT RaiseUserEvent(std::uint32_t window, std::uint32_t label, std::int32_t first, std::int32_t second,
                       std::optional<bool> wait) {
    HWND handle = GetWindowHandle(window, label);
    if (wait.has_value() && !*wait) {
        PostMessageW(handle, kUserEventMessage, static_cast<WPARAM>(first), static_cast<LPARAM>(second));
        return 0;
    }
    return SendMessageW(handle, kUserEventMessage, static_cast<WPARAM>(first), static_cast<LPARAM>(second));
}
