#pragma once
// The label: a caption drawn in its font and colour with an effect,
// alignment and word wrap, over a colour, gradient or picture background.
// Message 0x8075 raises its event 0 (the user event) with wParam and lParam.
#include "controls/control.h"
#include "controls/picture_view.h"

class Label : public Control {
public:
    enum Own : int {
        kCaption = 0,
        kEffect = 1,
        kBorder = 2,
        kGradientBorderWidth = 3,
        kGradientBorderColor1 = 4,
        kFont = 7,
        kTextColor = 8,
        kBackColor = 9,
        kPicture = 10,
        kPictureMode = 11,
        kGradientMode = 12,
        kGradientColor1 = 13,
        kHorizontalAlign = 16,
        kWordWrap = 17,
        kVerticalAlign = 18,
    };
    enum Event : int { kUserEvent = 0 };

    using Control::Control;
    bool Create(HWND parent) override;
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) override;

protected:
    void OwnPropertyChanged(int own) override;
    void Paint(HDC dc, const RECT& area) override;

private:
    void PaintBackground(HDC dc, const RECT& area, COLORREF background);
    RECT PaintBorder(HDC dc, const RECT& area);
    PictureView picture_;
};
