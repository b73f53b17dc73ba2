#include "controls/borders.h"

#include "controls/control.h"

RECT DrawBorder(HDC dc, const RECT& area, int style) {
    RECT inside = area;
    switch (style) {
        case 0: return inside;
        case 1:
            FrameRect(dc, &area, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
            InflateRect(&inside, -1, -1);
            return inside;
        case 2: DrawEdge(dc, &inside, EDGE_SUNKEN, BF_RECT | BF_ADJUST); return inside;
        case 3: DrawEdge(dc, &inside, EDGE_RAISED, BF_RECT | BF_ADJUST); return inside;
        case 4: DrawEdge(dc, &inside, EDGE_ETCHED, BF_RECT | BF_ADJUST); return inside;
        default: DrawEdge(dc, &inside, EDGE_BUMP, BF_RECT | BF_ADJUST); return inside;
    }
}

void FrameOnePixel(HDC dc, const RECT& box, COLORREF color) {
    RECT edges[4] = {{box.left, box.top, box.right, box.top + 1},
                     {box.left, box.bottom - 1, box.right, box.bottom},
                     {box.left, box.top, box.left + 1, box.bottom},
                     {box.right - 1, box.top, box.right, box.bottom}};
    for (const RECT& edge : edges) FillColor(dc, edge, color);
}
