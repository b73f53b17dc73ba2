#include "controls/picture_box.h"

#include "controls/borders.h"

namespace {
constexpr UINT_PTR kAnimationTimer = 1;
}

bool PictureBox::Create(HWND parent) {
    if (!Control::Create(parent)) return false;
    picture_.Set(BytesValue(kPicture));
    return true;
}

void PictureBox::CreationComplete() { ScheduleNextFrame(); }

void PictureBox::ScheduleNextFrame() {
    if (!handle_) return;
    if (Number(kPlayAnimation) && picture_.frameCount() > 1)
        SetTimer(handle_, kAnimationTimer, picture_.delay(frame_), nullptr);
    else
        KillTimer(handle_, kAnimationTimer);
}

void PictureBox::OwnPropertyChanged(int own) {
    if (own == kPicture) {
        picture_.Set(BytesValue(kPicture));
        frame_ = 0;
    }
    if (own == kPicture || own == kPlayAnimation) ScheduleNextFrame();
    Control::OwnPropertyChanged(own);
}

LRESULT PictureBox::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) {
    if (message == WM_TIMER && wParam == kAnimationTimer) {
        frame_ = (frame_ + 1) % std::max(1, picture_.frameCount());
        ScheduleNextFrame();
        InvalidateRect(handle_, nullptr, FALSE);
        handled = true;
        return 0;
    }
    return Control::HandleMessage(message, wParam, lParam, handled);
}

void PictureBox::Paint(HDC dc, const RECT& area) {
    COLORREF background = ColorOrDefault(Number(kBackColor), COLOR_BTNFACE);
    FillColor(dc, area, background);
    RECT inside = DrawBorder(dc, area, ClampedNumber(kBorder));
    if (picture_.empty()) return;
    Placement at = PlacePicture(ClampedNumber(kMode), picture_.width(), picture_.height(), inside.right - inside.left,
                                inside.bottom - inside.top);
    at.left += inside.left, at.top += inside.top;
    HRGN clip = CreateRectRgnIndirect(&inside);
    SelectClipRgn(dc, clip);
    picture_.Draw(dc, at, background, frame_);
    SelectClipRgn(dc, nullptr);
    DeleteObject(clip);
}
