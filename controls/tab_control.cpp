#include "controls/tab_control.h"

#include <algorithm>

#include "controls/fonts.h"
#include "controls/loaded_window.h"
#include "services/codepage.h"

namespace {
constexpr int kStripSize = 24, kTabLength = 80;
}

TabControl::TabControl(LoadedWindow& window, const ControlRecord& record) : Control(window, record) {
    // The children list holds the pages' lists, each but the last ended by a 0.
    pages_.emplace_back();
    for (std::uint32_t child : record.children) {
        if (child == 0)
            pages_.emplace_back();
        else
            pages_.back().push_back(child);
    }
}

int TabControl::pageCount() const {
    int named = static_cast<int>(TextListValue(kPageNames).size());
    return std::max({named, static_cast<int>(pages_.size()), 1});
}

int TabControl::CurrentPage() const { return std::clamp(Number(kCurrentPage), 0, pageCount() - 1); }

bool TabControl::ShowsControl(std::uint32_t id) const {
    int current = CurrentPage();
    if (current >= static_cast<int>(pages_.size())) return false;
    const std::vector<std::uint32_t>& page = pages_[current];
    return std::find(page.begin(), page.end(), id) != page.end();
}

void TabControl::OwnPropertyChanged(int own) {
    if (own == kCurrentPage) {
        Store(kCurrentPage, CurrentPage());
        // Hide the old page's controls before showing the new one's.
        std::vector<Control*> shown;
        for (const auto& page : pages_) {
            for (std::uint32_t id : page) {
                Control* control = window().Find(id);
                if (!control) continue;
                if (ShowsControl(id))
                    shown.push_back(control);
                else
                    control->ApplyVisibility();
            }
        }
        for (Control* control : shown) control->ApplyVisibility();
    }
    Control::OwnPropertyChanged(own);
}

RECT TabControl::StripTab(int page, const RECT& area) const {
    switch (ClampedNumber(kStripPosition)) {
        case 1: return {page * kTabLength, area.bottom - kStripSize, (page + 1) * kTabLength, area.bottom};
        case 2: return {0, page * kStripSize, kTabLength, (page + 1) * kStripSize};
        default: return {page * kTabLength, 0, (page + 1) * kTabLength, kStripSize};
    }
}

void TabControl::Paint(HDC dc, const RECT& area) {
    COLORREF background =
        Number(kPaintBackground) ? ColorOrDefault(Number(kBackColor), COLOR_BTNFACE) : GetSysColor(COLOR_BTNFACE);
    FillColor(dc, area, background);
    if (Number(kStripHidden)) return;
    // A plain strip: one tab per page, the current one raised.
    const TextList& names = TextListValue(kPageNames);
    HGDIOBJ previous = SelectObject(dc, FontFromBlock(BytesValue(kFont)));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
    for (int page = 0; page < pageCount(); ++page) {
        RECT tab = StripTab(page, area);
        DrawEdge(dc, &tab, page == CurrentPage() ? EDGE_RAISED : EDGE_ETCHED, BF_RECT);
        std::wstring name = page < static_cast<int>(names.size()) ? ToWideText(names[page]) : L"";
        DrawTextW(dc, name.c_str(), -1, &tab, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    }
    SelectObject(dc, previous);
}

LRESULT TabControl::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) {
    if (message == WM_LBUTTONDOWN && !Number(kStripHidden)) {
        RECT area;
        GetClientRect(handle_, &area);
        POINT point = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
        for (int page = 0; page < pageCount(); ++page) {
            RECT tab = StripTab(page, area);
            if (PtInRect(&tab, point)) SetProperty(kFirstOwnProperty + kCurrentPage, page);
        }
    }
    return Control::HandleMessage(message, wParam, lParam, handled);
}
