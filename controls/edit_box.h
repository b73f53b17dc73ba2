#pragma once
// The edit box: the system's edit field in the control's font and colours,
// its single line centred vertically in the box.
#include "controls/control.h"

class EditBox : public Control {
public:
    enum Own : int {
        kContent = 0,
        kBorder = 1,
        kTextColor = 2,
        kBackColor = 3,
        kFont = 4,
        kMaximumLength = 6,
        kInputMode = 10,
        kPasswordCharacter = 11,
    };
    enum InputMode : int { kPassword = 2 };

    using Control::Control;
    bool Create(HWND parent) override;
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) override;

protected:
    void OwnPropertyChanged(int own) override;
    bool ReadOwnProperty(int own, PropertyValue& value) override;
    const wchar_t* ClassName() const override { return L"EDIT"; }
    bool IsSystemClass() const override { return true; }
    DWORD Style() const override;
    DWORD ExtendedStyle() const override;

private:
    void ApplyFont();
    void ApplyPassword();
    int VerticalMargin() const;
    GdiObject backgroundBrush_;
};
