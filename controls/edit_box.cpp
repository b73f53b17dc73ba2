#include "controls/edit_box.h"

#include "controls/fonts.h"
#include "services/codepage.h"

DWORD EditBox::Style() const {
    DWORD style = WS_CHILD | WS_CLIPSIBLINGS | ES_LEFT | ES_AUTOHSCROLL;
    if (ClampedNumber(kInputMode) == kPassword) style |= ES_PASSWORD;
    if (ClampedNumber(kBorder) == 1) style |= WS_BORDER;
    return style;
}

DWORD EditBox::ExtendedStyle() const { return ClampedNumber(kBorder) >= 2 ? WS_EX_CLIENTEDGE : 0; }

bool EditBox::Create(HWND parent) {
    if (!Control::Create(parent)) return false;
    ApplyFont();
    ApplyPassword();
    SendMessageW(handle_, EM_LIMITTEXT, static_cast<WPARAM>(std::max(0, Number(kMaximumLength))), 0);
    SetWindowTextW(handle_, ToWideText(TextValue(kContent)).c_str());
    return true;
}

void EditBox::ApplyFont() {
    SendMessageW(handle_, WM_SETFONT, reinterpret_cast<WPARAM>(FontFromBlock(BytesValue(kFont))), TRUE);
    // The margins depend on the font's height: recompute the client area.
    SetWindowPos(handle_, nullptr, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

void EditBox::ApplyPassword() {
    WPARAM character =
        ClampedNumber(kInputMode) == kPassword ? static_cast<WPARAM>(Number(kPasswordCharacter) & 0xFF) : 0;
    if (character) {
        wchar_t wide = 0;
        MultiByteToWideChar(936, 0, reinterpret_cast<const char*>(&character), 1, &wide, 1);
        character = wide;
    }
    SendMessageW(handle_, EM_SETPASSWORDCHAR, character, 0);
}

int EditBox::VerticalMargin() const {
    HDC dc = GetDC(handle_);
    HGDIOBJ previous = SelectObject(dc, FontFromBlock(BytesValue(kFont)));
    TEXTMETRICW metrics = {};
    GetTextMetricsW(dc, &metrics);
    SelectObject(dc, previous);
    ReleaseDC(handle_, dc);
    RECT box;
    GetWindowRect(handle_, &box);
    int spare = (box.bottom - box.top) - (metrics.tmHeight + 2);
    return spare > 0 ? spare / 2 : 0;
}

bool EditBox::ReadOwnProperty(int own, PropertyValue& value) {
    if (own != kContent || !handle_) return false;
    int length = GetWindowTextLengthW(handle_);
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    text.resize(GetWindowTextW(handle_, text.data(), length + 1));
    value = FromWideText(text);
    return true;
}

void EditBox::OwnPropertyChanged(int own) {
    if (!handle_) return;
    switch (own) {
        case kContent: SetWindowTextW(handle_, ToWideText(TextValue(kContent)).c_str()); return;  // sends EN_CHANGE
        case kFont: ApplyFont(); return;
        case kMaximumLength:
            SendMessageW(handle_, EM_LIMITTEXT, static_cast<WPARAM>(std::max(0, Number(kMaximumLength))), 0);
            return;
        case kInputMode:
        case kPasswordCharacter: ApplyPassword(); break;
        case kBackColor: backgroundBrush_.reset(); break;
    }
    RedrawWindow(handle_, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_ERASE);
}

LRESULT EditBox::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) {
    switch (message) {
        case kReflectBase + WM_CTLCOLOREDIT:
        case kReflectBase + WM_CTLCOLORSTATIC: {
            HDC dc = reinterpret_cast<HDC>(wParam);
            COLORREF background = ColorOrDefault(Number(kBackColor), COLOR_WINDOW);
            SetTextColor(dc, static_cast<COLORREF>(Number(kTextColor)) & 0xFFFFFF);
            SetBkColor(dc, background);
            if (!backgroundBrush_) backgroundBrush_.reset(CreateSolidBrush(background));
            handled = true;
            return reinterpret_cast<LRESULT>(backgroundBrush_.get());
        }
        case WM_NCCALCSIZE: {
            // A single line sits at the top of an edit field; margins above
            // and below, drawn in the background colour, centre it.
            LRESULT result = CallSystemProcedure(message, wParam, lParam);
            int margin = VerticalMargin();
            RECT* client = reinterpret_cast<RECT*>(lParam);
            client->top += margin;
            client->bottom -= margin;
            handled = true;
            return result;
        }
        case WM_NCPAINT: {
            LRESULT result = CallSystemProcedure(message, wParam, lParam);
            RECT window, client;
            GetWindowRect(handle_, &window);
            GetClientRect(handle_, &client);
            MapWindowPoints(handle_, nullptr, reinterpret_cast<POINT*>(&client), 2);
            OffsetRect(&client, -window.left, -window.top);
            OffsetRect(&window, -window.left, -window.top);
            HDC dc = GetWindowDC(handle_);
            COLORREF background = ColorOrDefault(Number(kBackColor), COLOR_WINDOW);
            RECT above = {client.left, 0, client.right, client.top},
                 below = {client.left, client.bottom, client.right, window.bottom};
            if (ClampedNumber(kBorder) == 0) above.left = below.left = 0, above.right = below.right = window.right;
            FillColor(dc, above, background);
            FillColor(dc, below, background);
            ReleaseDC(handle_, dc);
            handled = true;
            return result;
        }
    }
    return Control::HandleMessage(message, wParam, lParam, handled);
}
