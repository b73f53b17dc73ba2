#pragma once
// The drop shadow's pixels: a Gaussian-blurred copy of the owner's box,
// evaluated separably with the error function, packed as premultiplied
// 0xAARRGGBB. No Windows header: the same code is tested natively.
#include <cstdint>
#include <vector>

// (a << 24) | r << 16 | g << 8 | b, each component contributing its low 8 bits.
constexpr std::uint32_t MakeArgb(int r, int g, int b, int a) {
    return (static_cast<std::uint32_t>(a) << 24) | ((static_cast<std::uint32_t>(r) << 16) & 0xFFFFFFu) |
           ((static_cast<std::uint32_t>(g) << 8) & 0xFFFFu) | (static_cast<std::uint32_t>(b) & 0xFFu);
}

// Abramowitz and Stegun 7.1.26, single precision.
float ShadowErf(float x);

// The whole-pixel margin for a blur size: the size truncated, at least 1.
// Margin, blur and the position after a move all use it, so a fractional
// size never leaves the shadow a pixel off after a move.
int ShadowMargin(float size);

struct ShadowBitmapSize {
    int width, height;
};
inline ShadowBitmapSize ShadowBitmapSizeFor(int ownerWidth, int ownerHeight, int margin) {
    return {ownerWidth + 2 * margin, ownerHeight + 2 * margin};
}

// Fills `pixels` (width x height of ShadowBitmapSizeFor, rows bottom-up as a
// DIB stores them) with the shadow of an ownerWidth x ownerHeight box, before
// the owner's area is cut out.
void RenderShadowPixels(int ownerWidth, int ownerHeight, int margin, float blur, std::uint32_t colour,
                        std::uint32_t* pixels);

// Clears the rectangle [left, right) x [top, bottom) (top-down coordinates,
// clipped to the bitmap) of a bottom-up bitmap: the pixels the owner covers.
void ClearShadowRectangle(std::uint32_t* pixels, ShadowBitmapSize size, int left, int top, int right, int bottom);

// The finished bitmap of a rectangular owner, top row first: what the shadow
// window shows.
std::vector<std::uint32_t> RenderRectangularShadow(int ownerWidth, int ownerHeight, float size, int offsetX,
                                                   int offsetY, std::uint32_t colour);
