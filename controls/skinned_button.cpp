#include "controls/skinned_button.h"

#include "controls/fonts.h"
#include "services/codepage.h"

bool SkinnedButton::Create(HWND parent) {
    if (!Control::Create(parent)) return false;
    LoadPictures();
    return true;
}

void SkinnedButton::LoadPictures() {
    out_.Set(BytesValue(kPicOut), Number(kTransColorOut));
    in_.Set(BytesValue(kPicIn), Number(kTransColorIn));
    disabled_.Set(BytesValue(kPicDisabled), Number(kTransColorDisabled));
    generatedDisabled_.reset();
}

void SkinnedButton::OwnPropertyChanged(int own) {
    if (own >= kPicOut && own <= kTransColorDisabled) LoadPictures();
    Control::OwnPropertyChanged(own);
}

COLORREF SkinnedButton::Colour(int own, int systemColour) const {
    if (Number(kDefaultColor)) return GetSysColor(systemColour);
    return ColorOrDefault(Number(own), systemColour);
}

LRESULT SkinnedButton::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) {
    switch (message) {
        case WM_MOUSEMOVE:
            if (!hover_) {
                // Track the pointer so the hover look ends when it leaves.
                hover_ = true;
                TRACKMOUSEEVENT track = {sizeof track, TME_LEAVE, handle_, 0};
                TrackMouseEvent(&track);
                InvalidateRect(handle_, nullptr, FALSE);
            }
            break;
        case WM_MOUSELEAVE:
            hover_ = false;
            InvalidateRect(handle_, nullptr, FALSE);
            break;
        case kReflectBase + WM_COMMAND:
            if (HIWORD(wParam) == BN_CLICKED || HIWORD(wParam) == BN_DOUBLECLICKED) {
                if (Number(kCheckBox)) {
                    Store(kChecked, Number(kChecked) ? 0 : 1);
                    InvalidateRect(handle_, nullptr, FALSE);
                }
                Raise(kClicked);
                handled = true;
                return 0;
            }
            break;
        case kReflectBase + WM_DRAWITEM: {
            const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
            State state = {(item->itemState & ODS_SELECTED) != 0 || (Number(kCheckBox) && Number(kChecked)), hover_,
                           (item->itemState & ODS_FOCUS) != 0, (item->itemState & ODS_DISABLED) != 0};
            RECT area = item->rcItem;
            int width = area.right - area.left, height = area.bottom - area.top;
            // Drawn off-screen, then copied: no flicker while hovering.
            HDC memory = CreateCompatibleDC(item->hDC);
            GdiObject bitmap(CreateCompatibleBitmap(item->hDC, width, height));
            HGDIOBJ previous = SelectObject(memory, bitmap.get());
            Draw(memory, {0, 0, width, height}, state);
            BitBlt(item->hDC, area.left, area.top, width, height, memory, 0, 0, SRCCOPY);
            SelectObject(memory, previous);
            DeleteDC(memory);
            handled = true;
            return TRUE;
        }
    }
    return Control::HandleMessage(message, wParam, lParam, handled);
}

void SkinnedButton::Draw(HDC dc, const RECT& area, const State& state) {
    COLORREF foreground, background;
    if (state.hover || state.pressed) {
        foreground = Colour(kFgColorIn, COLOR_BTNTEXT), background = Colour(kBkColorIn, COLOR_BTNFACE);
    } else if (state.focus) {
        foreground = Colour(kFgColorFocus, COLOR_BTNTEXT), background = Colour(kBkColorFocus, COLOR_BTNFACE);
    } else {
        foreground = Colour(kFgColorOut, COLOR_BTNTEXT), background = Colour(kBkColorOut, COLOR_BTNFACE);
    }
    FillColor(dc, area, background);
    RECT inside = area;
    int style = ClampedNumber(kStyle);
    if (style == 0) {
        if (Number(kDrawBorder) && (state.hover || state.pressed))
            FrameRect(dc, &area, GetSysColorBrush(COLOR_BTNSHADOW));
    } else {
        if (state.focus) {
            FrameRect(dc, &inside, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
            InflateRect(&inside, -1, -1);
        }
        if (state.pressed)
            FrameRect(dc, &inside, GetSysColorBrush(COLOR_BTNSHADOW));
        else
            DrawEdge(dc, &inside, style == 2 ? BDR_RAISEDINNER : EDGE_RAISED, BF_RECT);
    }
    DrawContent(dc, area, state, background, foreground);
    if (state.focus && (style != 0 || Number(kDrawFocus))) {
        RECT focus = area;
        InflateRect(&focus, -3, -3);
        DrawFocusRect(dc, &focus);
    }
}

// No disabled picture: a grey, lightened one made from the normal picture,
// the first time it is needed.
PictureView& SkinnedButton::GeneratedDisabled() {
    if (!generatedDisabled_) {
        generatedDisabled_.emplace();
        generatedDisabled_->SetImage(out_.empty() ? PixelImage() : DisabledImage(out_.frame(0)));
    }
    return *generatedDisabled_;
}

// The picture and the caption, laid out by the align style: 0 picture left
// of the text, 1 above it, 2 right of it, 3 both centred over each other.
void SkinnedButton::DrawContent(HDC dc, const RECT& area, const State& state, COLORREF background,
                                COLORREF foreground) {
    PictureView* picture = &out_;
    if (state.disabled)
        picture = disabled_.empty() ? &GeneratedDisabled() : &disabled_;
    else if ((state.hover || state.pressed) && !in_.empty())
        picture = &in_;

    std::wstring caption = ToWideText(TextValue(kCaption));
    HGDIOBJ previousFont = SelectObject(dc, FontFromBlock(BytesValue(kFont)));
    SetBkMode(dc, TRANSPARENT);
    RECT text = {0, 0, area.right - area.left, area.bottom - area.top};
    if (!caption.empty()) DrawTextW(dc, caption.c_str(), -1, &text, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
    int textWidth = caption.empty() ? 0 : text.right, textHeight = caption.empty() ? 0 : text.bottom;
    int pictureWidth = picture->empty() ? 0 : picture->width();
    int pictureHeight = picture->empty() ? 0 : picture->height();
    int gap = pictureWidth && textWidth ? 4 : 0, align = ClampedNumber(kAlign);
    int areaWidth = area.right - area.left, areaHeight = area.bottom - area.top;
    Placement pictureAt{}, textAt{};
    if (align == 1) {  // picture above the text
        int total = pictureHeight + gap + textHeight;
        pictureAt = {(areaWidth - pictureWidth) / 2, (areaHeight - total) / 2, pictureWidth, pictureHeight};
        textAt = {(areaWidth - textWidth) / 2, pictureAt.top + pictureHeight + gap, textWidth, textHeight};
    } else if (align == 3) {
        pictureAt = {(areaWidth - pictureWidth) / 2, (areaHeight - pictureHeight) / 2, pictureWidth, pictureHeight};
        textAt = {(areaWidth - textWidth) / 2, (areaHeight - textHeight) / 2, textWidth, textHeight};
    } else {
        int total = pictureWidth + gap + textWidth, start = (areaWidth - total) / 2;
        int pictureLeft = align == 2 ? start + textWidth + gap : start;
        int textLeft = align == 2 ? start : start + pictureWidth + gap;
        pictureAt = {pictureLeft, (areaHeight - pictureHeight) / 2, pictureWidth, pictureHeight};
        textAt = {textLeft, (areaHeight - textHeight) / 2, textWidth, textHeight};
    }
    if (pictureWidth) picture->Draw(dc, pictureAt, background);
    if (textWidth) {
        RECT box = {textAt.left, textAt.top, textAt.left + textWidth, textAt.top + textHeight};
        UINT format = DT_CENTER | DT_WORDBREAK | DT_NOPREFIX;
        if (state.disabled) {
            // Embossed: highlight one pixel right and down, shadow in place.
            RECT shifted = box;
            OffsetRect(&shifted, 1, 1);
            SetTextColor(dc, GetSysColor(COLOR_BTNHIGHLIGHT));
            DrawTextW(dc, caption.c_str(), -1, &shifted, format);
            SetTextColor(dc, GetSysColor(COLOR_BTNSHADOW));
        } else {
            SetTextColor(dc, foreground);
        }
        DrawTextW(dc, caption.c_str(), -1, &box, format);
    }
    SelectObject(dc, previousFont);
}
