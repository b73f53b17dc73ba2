#include "controls/label.h"

#include "controls/borders.h"
#include "controls/fonts.h"
#include "frame/application.h"
#include "services/codepage.h"

namespace {

COLORREF Mix(COLORREF from, COLORREF to, int step, int steps) {
    auto channel = [&](int shift) {
        int a = from >> shift & 0xFF, b = to >> shift & 0xFF;
        return static_cast<COLORREF>(a + (b - a) * step / (steps > 0 ? steps : 1)) << shift;
    };
    return channel(0) | channel(8) | channel(16);
}

// Colours from `colors` spread over `count` lines.
COLORREF GradientAt(const COLORREF* colors, int stops, int at, int count) {
    if (stops == 2 || count < 2) return Mix(colors[0], colors[1], at, count - 1);
    int half = (count - 1) / 2;
    return at <= half ? Mix(colors[0], colors[1], at, half) : Mix(colors[1], colors[2], at - half, count - 1 - half);
}

}  // namespace

bool Label::Create(HWND parent) {
    if (!Control::Create(parent)) return false;
    picture_.Set(BytesValue(kPicture));
    return true;
}

void Label::OwnPropertyChanged(int own) {
    if (own == kPicture) picture_.Set(BytesValue(kPicture));
    Control::OwnPropertyChanged(own);
}

LRESULT Label::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) {
    if (message == kUserEventMessage) {
        handled = true;
        EventResult result = Raise(kUserEvent, {static_cast<std::int32_t>(wParam), static_cast<std::int32_t>(lParam)});
        return result ? *result : 0;
    }
    return Control::HandleMessage(message, wParam, lParam, handled);
}

// Gradient modes: odd ones run left to right, even ones top to bottom;
// 1 to 4 use the first two colours, 5 to 8 all three.
void Label::PaintBackground(HDC dc, const RECT& area, COLORREF background) {
    FillColor(dc, area, background);
    int mode = ClampedNumber(kGradientMode);
    if (mode > 0) {
        COLORREF colors[3];
        for (int i = 0; i < 3; ++i) colors[i] = static_cast<COLORREF>(Number(kGradientColor1 + i)) & 0xFFFFFF;
        bool across = mode % 2 == 1;
        int stops = mode <= 4 ? 2 : 3;
        int count = across ? area.right : area.bottom;
        for (int i = 0; i < count; ++i) {
            RECT line = across ? RECT{i, 0, i + 1, area.bottom} : RECT{0, i, area.right, i + 1};
            FillColor(dc, line, GradientAt(colors, stops, i, count));
        }
    }
    if (!picture_.empty()) {
        int pictureMode = ClampedNumber(kPictureMode);
        picture_.Draw(dc, PlacePicture(pictureMode, picture_.width(), picture_.height(), area.right, area.bottom),
                      background);
    }
}

// Border 6 is the gradient border: bands of the three border colours.
RECT Label::PaintBorder(HDC dc, const RECT& area) {
    int border = ClampedNumber(kBorder);
    if (border < 6) return DrawBorder(dc, area, border);
    COLORREF colors[3];
    for (int i = 0; i < 3; ++i) colors[i] = static_cast<COLORREF>(Number(kGradientBorderColor1 + i)) & 0xFFFFFF;
    int width = ClampedNumber(kGradientBorderWidth);
    RECT band = area;
    for (int i = 0; i < width && band.right > band.left && band.bottom > band.top; ++i) {
        FrameOnePixel(dc, band, GradientAt(colors, 3, i, width));
        InflateRect(&band, -1, -1);
    }
    return band;
}

void Label::Paint(HDC dc, const RECT& area) {
    COLORREF background = ColorOrDefault(Number(kBackColor), COLOR_BTNFACE);
    PaintBackground(dc, area, background);
    RECT inside = PaintBorder(dc, area);
    HGDIOBJ previousFont = SelectObject(dc, FontFromBlock(BytesValue(kFont)));
    SetBkMode(dc, TRANSPARENT);
    UINT format = DT_NOPREFIX;
    switch (ClampedNumber(kHorizontalAlign)) {
        case 1: format |= DT_CENTER; break;
        case 2: format |= DT_RIGHT; break;
    }
    if (Number(kWordWrap) == 1) {
        format |= DT_WORDBREAK | DT_VCENTER;
    } else {
        format |= DT_SINGLELINE;
        int vertical = ClampedNumber(kVerticalAlign);
        if (vertical == 1) format |= DT_VCENTER;
        if (vertical == 2) format |= DT_BOTTOM;
    }
    std::wstring caption = ToWideText(TextValue(kCaption));
    COLORREF color = static_cast<COLORREF>(Number(kTextColor)) & 0xFFFFFF;
    auto draw = [&](COLORREF textColor, int dx, int dy) {
        RECT box = inside;
        OffsetRect(&box, dx, dy);
        SetTextColor(dc, textColor);
        DrawTextW(dc, caption.c_str(), static_cast<int>(caption.size()), &box, format);
    };
    switch (ClampedNumber(kEffect)) {
        case 1: draw(RGB(255, 255, 255), 1, 1), draw(color, 0, 0); break;
        case 2: draw(RGB(255, 255, 255), 0, 0), draw(color, 1, 1); break;
        case 3: draw(RGB(0, 0, 0), 2, 2), draw(color, 0, 0); break;
        default: draw(color, 0, 0); break;
    }
    SelectObject(dc, previousFont);
}
