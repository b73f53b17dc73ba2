#include "window/window_behaviour.h"

#include <windows.h>

#include "controls/shape_box.h"
#include "controls/skinned_button.h"
#include "controls/window_operations.h"
#include "frame/core/event.h"
#include "layout_ids.h"
#include "window/shadow.h"

namespace mw = layout::main_window;
namespace op = layout::options_panel;
namespace ss = layout::status_strip;
namespace iw = layout::installation_window;

namespace {

constexpr int kButtonChecked = OwnProperty(SkinnedButton::kChecked),
              kShapeLineColour = OwnProperty(ShapeBox::kLineColor);
constexpr std::int32_t kAccent = 250 | 200 << 8 | 101 << 16, kGrey = 0x808080;
constexpr int kPanelOpacity = 220;

// The drop shadows of the options panel and the installation window while
// they are shown; read by the shadow module (user-interface thread).
ShadowInfo panelShadow{MakeArgb(0, 0, 0, 50), 30.0f, 1, 1, 0, nullptr};
ShadowInfo installationShadow{MakeArgb(0, 0, 0, 50), 30.0f, 1, 1, 0, nullptr};

std::int32_t Number(std::uint32_t window, std::uint32_t control, int property) {
    return GetNumberProperty(window, control, property);
}

ShadowInfo* CompanionShadow(std::uint32_t window) {
    return window == op::kWindow ? &panelShadow : window == iw::kWindow ? &installationShadow : nullptr;
}

}  // namespace

// The main window moved: the panel keeps its bottom edge on the main
// window's, the strip its top-left corner, the installation window its centre.
EventResult PlaceCompanionWindows(const EventArgs&) {
    std::int32_t left = Number(mw::kWindow, mw::kWindow, kLeft), top = Number(mw::kWindow, mw::kWindow, kTop);
    std::int32_t width = Number(mw::kWindow, mw::kWindow, kWidth), height = Number(mw::kWindow, mw::kWindow, kHeight);
    SetProperty(op::kWindow, op::kWindow, kLeft, left);
    SetProperty(op::kWindow, op::kWindow, kTop, top + height - Number(op::kWindow, op::kWindow, kHeight));
    SetProperty(ss::kWindow, ss::kWindow, kTop, top);
    SetProperty(ss::kWindow, ss::kWindow, kLeft, left);
    SetProperty(iw::kWindow, iw::kWindow, kLeft,
                static_cast<std::int32_t>(left + (width - Number(iw::kWindow, iw::kWindow, kWidth)) / 2.0));
    SetProperty(iw::kWindow, iw::kWindow, kTop,
                static_cast<std::int32_t>(top + (height - Number(iw::kWindow, iw::kWindow, kHeight)) / 2.0));
    return std::nullopt;
}

// Pressing a picture area moves the borderless window as a caption would;
// returns when the user lets go.
EventResult DragMainWindow(const EventArgs&) {
    ReleaseCapture();
    SendWindowMessage(mw::kWindow, mw::kWindow, WM_NCLBUTTONDOWN, HTCAPTION, 0);
    return std::nullopt;
}

void ShowInstallationWindow() {
    std::int32_t left = Number(mw::kWindow, mw::kWindow, kLeft), top = Number(mw::kWindow, mw::kWindow, kTop);
    double width = Number(mw::kWindow, mw::kWindow, kWidth) - Number(iw::kWindow, iw::kWindow, kWidth);
    double height = Number(mw::kWindow, mw::kWindow, kHeight) - Number(iw::kWindow, iw::kWindow, kHeight);
    SetProperty(iw::kWindow, iw::kWindow, kLeft, static_cast<std::int32_t>(left + width / 2));
    SetProperty(iw::kWindow, iw::kWindow, kTop, static_cast<std::int32_t>(top + height / 2));
    SetProperty(iw::kWindow, iw::kWindow, kVisible, 1);
}

void HideInstallationWindow() { SetProperty(iw::kWindow, iw::kWindow, kVisible, 0); }

void HideAllWindows() {
    for (std::uint32_t window : {ss::kWindow, iw::kWindow, op::kWindow, mw::kWindow})
        SetProperty(window, window, kVisible, 0);
}

void ShowOptionsPanel(bool show) {
    SetProperty(op::kWindow, op::kWindow, kVisible, show ? 1 : 0);
    SetProperty(mw::kWindow, mw::kOptionsButton, kVisible, show ? 0 : 1);
    SetProperty(mw::kWindow, mw::kOptionsChevron, kVisible, show ? 0 : 1);
}

EventResult OpenOptionsPanel(const EventArgs&) {
    ShowOptionsPanel(true);
    return std::nullopt;
}

EventResult CloseOptionsPanel(const EventArgs&) {
    ShowOptionsPanel(false);
    return std::nullopt;
}

EventResult OnOptionsPanelCreated(const EventArgs&) {
    SetOpacity(GetWindowHandle(op::kWindow, op::kWindow), kPanelOpacity);
    return std::nullopt;
}

EventResult AttachCompanionShadow(const EventArgs& args) {
    if (ShadowInfo* shadow = CompanionShadow(args.window))
        ShadowAttach(GetWindowHandle(args.window, args.window), shadow);
    return std::nullopt;
}

EventResult DetachCompanionShadow(const EventArgs& args) {
    if (CompanionShadow(args.window)) ShadowDetach(GetWindowHandle(args.window, args.window));
    return std::nullopt;
}

void ToggleShortcutOption(ShortcutOption option) {
    bool desktop = option == ShortcutOption::Desktop;
    std::uint32_t mark = desktop ? op::kDesktopMark : op::kStartMenuMark;
    std::uint32_t frame = desktop ? op::kDesktopFrame : op::kStartMenuFrame;
    std::uint32_t button = desktop ? op::kDesktopButton : op::kStartMenuButton;
    SetProperty(op::kWindow, mark, kVisible, Number(op::kWindow, mark, kVisible) ? 0 : 1);
    bool on = Number(op::kWindow, mark, kVisible) != 0;
    SetProperty(op::kWindow, button, kButtonChecked, on ? 1 : 0);
    SetProperty(op::kWindow, frame, kShapeLineColour, on ? kAccent : kGrey);
}

EventResult ToggleDesktopOption(const EventArgs&) {
    ToggleShortcutOption(ShortcutOption::Desktop);
    return std::nullopt;
}

EventResult ToggleStartMenuOption(const EventArgs&) {
    ToggleShortcutOption(ShortcutOption::StartMenu);
    return std::nullopt;
}
