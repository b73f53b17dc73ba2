#pragma once
// The Windows side of the shadow renderer: a 32-bit DIB section in a memory
// DC, filled by the portable pixel code, with the owner's region cleared.
#include <windows.h>

#include <cstdint>

#include "window/shadow.h"

class ShadowCanvas {
public:
    ShadowCanvas() = default;
    ShadowCanvas(const ShadowCanvas&) = delete;
    ShadowCanvas& operator=(const ShadowCanvas&) = delete;
    ~ShadowCanvas();

    // A bottom-up 32-bit DIB of width x height selected into a memory DC;
    // false (and nothing held) if either cannot be made.
    bool Create(int width, int height);
    HDC dc() const { return dc_; }
    std::uint32_t* pixels() const { return pixels_; }
    int width() const { return width_; }
    int height() const { return height_; }

private:
    HDC dc_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ previous_ = nullptr;
    std::uint32_t* pixels_ = nullptr;
    int width_ = 0, height_ = 0;
};

// Renders the owner's shadow into `canvas` and tells where the shadow window
// goes (screen coordinates). False when the owner's rectangle is inverted or
// the bitmap cannot be made; `size` below 1 is raised to 1.0 in `info`.
bool PaintOwnerShadow(HWND owner, ShadowInfo& info, ShadowCanvas& canvas, POINT& position);
