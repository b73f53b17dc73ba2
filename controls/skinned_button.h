#pragma once
// The skinned button: an owner-drawn push button with pictures for the
// mouse outside, over it and the disabled state (the last generated when
// not given), colours per state, a caption, an optional check-box mode, and
// hover tracking. Event 0 is the click.
#include <optional>

#include "controls/control.h"
#include "controls/picture_view.h"

class SkinnedButton : public Control {
public:
    enum Own : int {
        kStyle = 0,
        kCheckBox = 1,
        kChecked = 2,
        kAlign = 3,
        kPressStyle = 4,
        kDrawBorder = 5,
        kDrawFocus = 6,
        kPicOut = 7,
        kTransColorOut = 8,
        kPicIn = 9,
        kTransColorIn = 10,
        kPicDisabled = 11,
        kTransColorDisabled = 12,
        kFont = 13,
        kCaption = 14,
        kDefaultColor = 15,
        kFgColorOut = 16,
        kBkColorOut = 17,
        kFgColorIn = 18,
        kBkColorIn = 19,
        kFgColorFocus = 20,
        kBkColorFocus = 21,
    };
    enum Event : int { kClicked = 0 };

    using Control::Control;
    bool Create(HWND parent) override;
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) override;

protected:
    void OwnPropertyChanged(int own) override;
    const wchar_t* ClassName() const override { return L"BUTTON"; }
    bool IsSystemClass() const override { return true; }
    DWORD Style() const override { return WS_CHILD | WS_CLIPSIBLINGS | BS_OWNERDRAW; }

private:
    struct State {
        bool pressed, hover, focus, disabled;
    };
    void LoadPictures();
    void Draw(HDC dc, const RECT& area, const State& state);
    void DrawContent(HDC dc, const RECT& area, const State& state, COLORREF background, COLORREF foreground);
    COLORREF Colour(int own, int systemColour) const;
    PictureView& GeneratedDisabled();

    PictureView out_, in_, disabled_;
    std::optional<PictureView> generatedDisabled_;  // made when first drawn
    bool hover_ = false;
};
