#pragma once
// The shape box: a background colour with a shape (0 rectangle, 1 square,
// 2 ellipse, 3 circle, 4 rounded rectangle, 5 rounded square, 6 horizontal
// line, 7 vertical line) outlined in a line style, width and colour and
// optionally filled.
#include "controls/control.h"

class ShapeBox : public Control {
public:
    enum Own : int {
        kBackColor = 0,
        kShape = 1,
        kEffect = 2,
        kLineStyle = 3,
        kLineWidth = 4,
        kLineColor = 5,
        kFillColor = 6,
    };
    using Control::Control;

protected:
    void Paint(HDC dc, const RECT& area) override;
};
