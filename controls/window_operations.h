#pragma once
// What the program does with its windows and controls, by identifier.
// GetProperty and SetProperty may be called from any thread: off the
// user-interface thread the work is handed to it and waited for.
#include <windows.h>

#include <cstdint>
#include <optional>

#include "frame/core/layout.h"

PropertyValue GetProperty(std::uint32_t window, std::uint32_t control, int number);
void SetProperty(std::uint32_t window, std::uint32_t control, int number, const PropertyValue& value);

// A numeric property; a value of another kind is runtime error 5.
std::int32_t GetNumberProperty(std::uint32_t window, std::uint32_t control, int number);
Text GetTextProperty(std::uint32_t window, std::uint32_t control, int number);

HWND GetWindowHandle(std::uint32_t window, std::uint32_t control);
LRESULT SendWindowMessage(std::uint32_t window, std::uint32_t control, UINT message, WPARAM wParam, LPARAM lParam);
void ActivateWindow(std::uint32_t window);

// Makes the window layered (its extended style becomes exactly
// WS_EX_LAYERED) with `alpha`; out of 0..255 means 255. Returns the
// result of SetLayeredWindowAttributes, 0 where it does not exist.
int SetOpacity(HWND window, int alpha = 255);

// Message 0x8075 to the label, raising its event 0 with the two integers:
// sent and answered, or with `wait` false posted (result 0).
LRESULT RaiseUserEvent(std::uint32_t window, std::uint32_t label, std::int32_t first = 0, std::int32_t second = 0,
                       std::optional<bool> wait = std::nullopt);
