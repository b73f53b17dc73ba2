#pragma once
// The picture box: a background colour with a picture drawn at its own
// size (mode 0), stretched (1) or fitted (2); a GIF plays its frames when
// "play animation" is set.
#include "controls/control.h"
#include "controls/picture_view.h"

class PictureBox : public Control {
public:
    enum Own : int { kBorder = 0, kBackColor = 1, kPicture = 2, kMode = 3, kPlayAnimation = 4 };

    using Control::Control;
    bool Create(HWND parent) override;
    void CreationComplete() override;
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) override;

protected:
    void OwnPropertyChanged(int own) override;
    void Paint(HDC dc, const RECT& area) override;

private:
    void ScheduleNextFrame();
    PictureView picture_;
    int frame_ = 0;
};
