#pragma once
// The window control: a top-level window (a pop-up owned by its owner when
// it has one) with its border style, start position, title, colours,
// background picture and icon, raising the window events: 0 created, 1 close
// query, 2 about to be destroyed, 3 moved, 4 resized, 10 shown, 11 hidden,
// 12 close requested.
#include "controls/control.h"
#include "controls/picture_view.h"

class Form : public Control {
public:
    enum Own : int {
        kTitle = 0,
        kBorderStyle = 1,
        kBackColor = 2,
        kPicture = 3,
        kPictureMode = 4,
        kMaximizeBox = 8,
        kMinimizeBox = 9,
        kStartPosition = 10,
        kCloseEntry = 11,
        kIcon = 12,
        kAlwaysOnTop = 21,
    };
    enum Event : int {
        kCreated = 0,
        kCloseQuery = 1,
        kDestroying = 2,
        kMoved = 3,
        kResized = 4,
        kShown = 10,
        kHidden = 11,
        kCloseRequested = 12,
    };

    using Control::Control;
    // `parent` is the owner window or none.
    bool Create(HWND owner) override;
    void ApplyVisibility() override;
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) override;
    // At program end, after the window is gone.
    void ReleaseIcons() { bigIcon_.reset(), smallIcon_.reset(); }

protected:
    void OwnPropertyChanged(int own) override;
    void Paint(HDC dc, const RECT& area) override;
    const wchar_t* ClassName() const override;
    DWORD Style() const override;
    DWORD ExtendedStyle() const override;

private:
    void ApplyTitle();
    void ApplyIcon();
    bool shownOnce_ = false;
    PictureView picture_;
    IconHandle bigIcon_, smallIcon_;
};
