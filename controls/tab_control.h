#pragma once
// The tab control: pages of controls of which only the current one is
// shown. With the strip hidden and background painting on it draws no
// strip and no frame, only its background colour.
#include <vector>

#include "controls/control.h"

class TabControl : public Control {
public:
    enum Own : int {
        kStripPosition = 0,
        kMultiLine = 1,
        kFont = 2,
        kPageNames = 3,
        kCurrentPage = 4,
        kStripHidden = 5,
        kPaintBackground = 6,
        kBackColor = 7,
    };

    TabControl(LoadedWindow& window, const ControlRecord& record);
    // Whether control `id` lies on the current page.
    bool ShowsControl(std::uint32_t id) const;
    int pageCount() const;
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) override;

protected:
    void OwnPropertyChanged(int own) override;
    void Paint(HDC dc, const RECT& area) override;

private:
    int CurrentPage() const;
    RECT StripTab(int page, const RECT& area) const;
    std::vector<std::vector<std::uint32_t>> pages_;
};
