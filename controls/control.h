#pragma once
// The base of every control: it owns the control's window handle, keeps the
// common properties (position, size, tag, visibility, disabled state, mouse
// pointer) and the type's own property values, turns mouse, keyboard and
// focus messages into the common events, and raises events to the handlers
// the layout binds. Controls belong to the user-interface thread.
#include <windows.h>

#include <initializer_list>

#include "frame/core/event.h"
#include "frame/core/layout.h"
#include "frame/core/layout_properties.h"
#include "services/handle.h"

class LoadedWindow;

// Notifications (WM_COMMAND, WM_DRAWITEM, WM_CTLCOLOR...) a parent hands to
// the child they concern, as this base plus the message.
inline constexpr UINT kReflectBase = 0x2000;

class Control {
public:
    Control(LoadedWindow& window, const ControlRecord& record);
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;
    virtual ~Control() = default;

    // Creates the window handle, hidden, on `parent`; false if it cannot be made.
    virtual bool Create(HWND parent);
    // All controls of the window exist (private message 0x806F).
    virtual void CreationComplete() {}

    HWND handle() const { return handle_; }
    std::uint32_t id() const { return record_.id; }
    ControlType type() const { return record_.type; }
    const Text& name() const { return record_.name; }
    std::uint32_t parentId() const { return record_.parent; }
    LoadedWindow& window() const { return window_; }

    PropertyValue GetProperty(int number);
    // The value must already have the property's kind (see properties.cpp).
    void SetProperty(int number, const PropertyValue& value);

    // The stored visibility, which a hidden parent or page does not change.
    bool visible() const { return visible_; }
    // Shows or hides the handle as the stored visibility and the current
    // page of a tab control it lies on say.
    virtual void ApplyVisibility();

    // Raises event `number` with up to four integer arguments.
    EventResult Raise(int number, std::initializer_list<std::int32_t> values = {});

    // The window procedure's work; `handled` false passes the message on.
    virtual LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);

    // The control of a handle created by the frame, or nothing.
    static Control* FromHandle(HWND handle);

protected:
    // Own property `own` was set: apply it (the default redraws).
    virtual void OwnPropertyChanged(int own);
    // Own property values the control computes itself (an edit box's content).
    virtual bool ReadOwnProperty(int own, PropertyValue& value);
    // Painting of the frame's own classes into an off-screen buffer.
    virtual void Paint(HDC dc, const RECT& area);
    // Creation parameters.
    virtual const wchar_t* ClassName() const;
    virtual DWORD Style() const;
    virtual DWORD ExtendedStyle() const { return 0; }
    // Edits and buttons: a class of the system's, subclassed.
    virtual bool IsSystemClass() const { return false; }
    LRESULT CallSystemProcedure(UINT message, WPARAM wParam, LPARAM lParam);

    std::int32_t Number(int own) const;
    const Text& TextValue(int own) const;
    const Bytes& BytesValue(int own) const;
    const TextList& TextListValue(int own) const;
    void Store(int own, PropertyValue value) { own_[own] = std::move(value); }
    std::int32_t ClampedNumber(int own) const;

    HWND handle_ = nullptr;
    std::int32_t left_, top_, width_, height_;

private:
    static LRESULT CALLBACK FrameProcedure(HWND handle, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK SubclassProcedure(HWND handle, UINT message, WPARAM wParam, LPARAM lParam);
    bool CommonEvent(UINT message, WPARAM wParam, LPARAM lParam);
    void SetCommonProperty(int number, const PropertyValue& value);
    void ApplyMousePointer();
    void Attach(HWND handle);

    LoadedWindow& window_;
    const ControlRecord& record_;
    const TypeProperties& properties_;
    std::vector<PropertyValue> own_;
    Text tag_;

protected:
    bool visible_, disabled_;

private:
    Bytes pointerBytes_;
    IconHandle pointer_;
    WNDPROC systemProcedure_ = nullptr;
};

// A buffered paint: the control draws into a memory bitmap of the client
// area, which is copied to the screen in one step (no flicker).
void PaintBuffered(HWND handle, void (*paint)(void* context, HDC dc, const RECT& area), void* context);

// Registers a window class of the frame's own (double clicks, arrow
// cursor, no background brush); returns `name`.
const wchar_t* RegisterFrameClass(const wchar_t* name);

// A brush-free fill with a Windows colour value.
void FillColor(HDC dc, const RECT& area, COLORREF color);
// The stored default (0xFF000000) gives the system colour `fallback`.
COLORREF ColorOrDefault(std::int32_t stored, int fallback);
