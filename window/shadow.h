#pragma once
// Soft drop shadows for borderless windows. The shadow is a layered,
// click-through popup owned by the window that casts it; the owner's window
// procedure is subclassed to redraw the shadow on resize, show and display
// changes and to move it along with the owner.
#include <windows.h>

#include <cstdint>

#include "window/core/shadow_pixels.h"

// One owner's shadow. Owned by the caller and read by the module for as long
// as the owner is attached; the module writes only `size` (raised to 1.0
// when below 1) and `shadowWindow`.
struct ShadowInfo {
    std::uint32_t colour = 0;  // 0xAARRGGBB; the top byte is the peak opacity
    float size = 0;            // blur extent, and the margin around the owner
    std::int32_t offsetX = 0;
    std::int32_t offsetY = 0;
    std::int32_t hardware = 0;  // reserved hardware path, never selected
    HWND shadowWindow = nullptr;
};

// Sent to an attached owner: wParam 1 creates the shadow window, 0 destroys
// it, 2 redraws it. Result 1 on success, 0 otherwise.
inline constexpr UINT WM_SHADOW_CONTROL = WM_USER + 10;

// Registers the shadow window class; once, before any attach.
bool ShadowRegisterClass();
// False if the owner is already attached or a step fails.
bool ShadowAttach(HWND owner, ShadowInfo* info);
void ShadowDetach(HWND owner);
// Redraws (or with `hide`, hides) the owner's shadow.
void ShadowUpdate(HWND owner, ShadowInfo* info, bool hide);

// How many shadow bitmaps have been rendered in this process: lets tests see
// that a move repositions without rendering again.
unsigned ShadowRenderCount();
