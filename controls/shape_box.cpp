#include "controls/shape_box.h"

#include "controls/borders.h"

#include <algorithm>

namespace {

// Line styles: 0 none, 1 solid, 2 dash, 3 dot, 4 dash-dot, 5 dash-dot-dot.
DWORD PenStyle(int lineStyle) {
    switch (lineStyle) {
        case 0: return PS_NULL;
        case 2: return PS_DASH;
        case 3: return PS_DOT;
        case 4: return PS_DASHDOT;
        case 5: return PS_DASHDOTDOT;
        default: return PS_SOLID;
    }
}

// A solid rectangle outline of `width` pixels, exactly inside `box`.
void FrameBands(HDC dc, RECT box, int width, COLORREF color) {
    for (int i = 0; i < width && box.right > box.left && box.bottom > box.top; ++i) {
        FrameOnePixel(dc, box, color);
        InflateRect(&box, -1, -1);
    }
}

RECT Squared(const RECT& box) {
    int side = std::min(box.right - box.left, box.bottom - box.top);
    int left = box.left + (box.right - box.left - side) / 2, top = box.top + (box.bottom - box.top - side) / 2;
    return {left, top, left + side, top + side};
}

}  // namespace

void ShapeBox::Paint(HDC dc, const RECT& area) {
    FillColor(dc, area, ColorOrDefault(Number(kBackColor), COLOR_BTNFACE));
    RECT box = area;
    int effect = ClampedNumber(kEffect);
    if (effect) DrawEdge(dc, &box, effect == 1 ? EDGE_RAISED : EDGE_SUNKEN, BF_RECT | BF_ADJUST);
    int shape = ClampedNumber(kShape), width = std::max(0, Number(kLineWidth)), lineStyle = ClampedNumber(kLineStyle);
    COLORREF line = static_cast<COLORREF>(Number(kLineColor)) & 0xFFFFFF;
    bool filled = Number(kFillColor) != kDefaultColor;
    COLORREF fill = static_cast<COLORREF>(Number(kFillColor)) & 0xFFFFFF;
    if (lineStyle == 0) width = 0;

    if (shape == 0 && lineStyle == 1) {  // the common case, drawn exactly
        if (filled) {
            RECT inside = box;
            InflateRect(&inside, -width, -width);
            FillColor(dc, inside, fill);
        }
        FrameBands(dc, box, width, line);
        return;
    }
    LOGBRUSH penBrush = {BS_SOLID, line, 0};
    GdiObject pen(width > 0 ? ExtCreatePen(PS_GEOMETRIC | PS_ENDCAP_FLAT | PenStyle(lineStyle) |
                                               (shape == 6 || shape == 7 ? 0 : PS_INSIDEFRAME),
                                           width, &penBrush, 0, nullptr)
                            : CreatePen(PS_NULL, 0, 0));
    GdiObject brush(filled ? CreateSolidBrush(fill) : nullptr);
    HGDIOBJ oldPen = SelectObject(dc, pen.get());
    HGDIOBJ oldBrush = SelectObject(dc, brush ? brush.get() : GetStockObject(NULL_BRUSH));
    RECT square = Squared(box);
    int round = std::min(box.right - box.left, box.bottom - box.top) / 4;
    switch (shape) {
        case 0: Rectangle(dc, box.left, box.top, box.right, box.bottom); break;
        case 1: Rectangle(dc, square.left, square.top, square.right, square.bottom); break;
        case 2: Ellipse(dc, box.left, box.top, box.right, box.bottom); break;
        case 3: Ellipse(dc, square.left, square.top, square.right, square.bottom); break;
        case 4: RoundRect(dc, box.left, box.top, box.right, box.bottom, round, round); break;
        case 5: RoundRect(dc, square.left, square.top, square.right, square.bottom, round, round); break;
        case 6: {
            int y = (box.top + box.bottom) / 2;
            MoveToEx(dc, box.left, y, nullptr);
            LineTo(dc, box.right, y);
            break;
        }
        default: {
            int x = (box.left + box.right) / 2;
            MoveToEx(dc, x, box.top, nullptr);
            LineTo(dc, x, box.bottom);
            break;
        }
    }
    SelectObject(dc, oldBrush);
    SelectObject(dc, oldPen);
}
