#pragma once
// Pixel work for the controls' pictures, kept free of Windows: placing a
// picture in a box by display mode, scaling, blending over a background
// colour, transparent-colour masks and the generated disabled picture.
// Pixels are 0xAARRGGBB with straight (not premultiplied) alpha; colours
// passed in are Windows colour values (red in the low byte).
#include <cstdint>
#include <vector>

struct PixelImage {
    int width = 0, height = 0;
    std::vector<std::uint32_t> pixels;  // rows top-down
    bool empty() const { return width <= 0 || height <= 0; }
    std::uint32_t at(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
};

struct Placement {
    int left = 0, top = 0, width = 0, height = 0;
    bool operator==(const Placement&) const = default;
};

// Where a pw x ph picture goes in a cw x ch box: mode 0 top-left at its own
// size, 1 stretched over the box, 2 fitted (centred, scaled down only).
Placement PlacePicture(int mode, int pw, int ph, int cw, int ch);

// Area-averaged resampling (alpha-weighted, so transparent pixels do not
// darken the edges); any size to any size of at least 1 x 1.
PixelImage ScaleImage(const PixelImage& source, int width, int height);

// Blends every pixel over `color`; the result is opaque.
void BlendOverColor(PixelImage& image, std::uint32_t color);

// Pixels whose colour equals `color` become fully transparent.
void ClearTransparentColor(PixelImage& image, std::uint32_t color);

// 0xAARRGGBB pixel from a Windows colour value, opaque.
inline std::uint32_t PixelFromColor(std::uint32_t color) {
    return 0xFF000000u | (color & 0xFF) << 16 | (color & 0xFF00) | (color >> 16 & 0xFF);
}

// The generated disabled look: grey, lightened towards white, same alpha.
PixelImage DisabledImage(const PixelImage& image);
