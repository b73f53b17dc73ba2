#include "controls/borders.h"

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
