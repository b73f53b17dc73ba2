#include "installer/animation.h"

#include <iterator>

#include "controls/skinned_button.h"
#include "controls/window_operations.h"
#include "frame/core/event.h"
#include "installer/program_state.h"
#include "installer/shortcuts.h"
#include "layout_ids.h"
#include "window/pumping_wait.h"
#include "window/shadow.h"

namespace iw = layout::installation_window;
namespace op = layout::options_panel;

namespace {

struct AnimatedElement {
    std::uint32_t control;
    int property;
    std::int32_t designed;
};

// In the order they grow: the frame, the sidebar, the header, the cards.
constexpr AnimatedElement kElements[] = {
    {iw::kTopEdge, kWidth, 729},      {iw::kLeftEdge, kHeight, 450},       {iw::kBottomEdge, kWidth, 729},
    {iw::kRightEdge, kHeight, 450},   {iw::kSidebarDivider, kHeight, 450}, {iw::kSidebarTitle, kWidth, 144},
    {iw::kSidebarItem1, kWidth, 104}, {iw::kSidebarItem2, kWidth, 104},    {iw::kSidebarItem3, kWidth, 104},
    {iw::kSidebarItem4, kWidth, 104}, {iw::kHeaderTitle, kWidth, 144},     {iw::kHeaderTools, kWidth, 144},
    {iw::kFooterButton, kWidth, 104}, {iw::kCardLeft, kWidth, 240},        {iw::kCardRight, kWidth, 240},
    {iw::kCardBelow, kWidth, 240},
};

constexpr int kButtonChecked = OwnProperty(SkinnedButton::kChecked);

// The warm glow the installation window gets when its picture is complete;
// read by the shadow module while attached (user-interface thread).
ShadowInfo glowShadow{MakeArgb(250, 200, 93, 50), 50.0f, 1, 1, 0, nullptr};

bool OptionTicked(std::uint32_t button) { return GetNumberProperty(op::kWindow, button, kButtonChecked) == 1; }

}  // namespace

DWORD WINAPI AnimateInstallWindow(void*) {
    InstallerState& state = Installer();
    int run = state.installRun.load();
    state.shortcutStepPending = 1;
    for (const AnimatedElement& element : kElements) SetProperty(iw::kWindow, element.control, element.property, 0);
    for (const AnimatedElement& element : kElements) {
        if (state.installRun.load() != run) return 0;  // an installation given up; a new click animates anew
        GrowProperty(iw::kWindow, element.control, element.property, element.designed);
    }
    WaitPumping(500);
    RaiseUserEvent(iw::kWindow, iw::kFeedbackLabel, 1, 1, false);
    return 0;
}

void GrowProperty(std::uint32_t window, std::uint32_t control, int property, std::int32_t designed) {
    WaitPumping(500);
    for (int step = 0; step < 22; ++step) {
        double value = GetNumberProperty(window, control, property);
        SetProperty(window, control, property, static_cast<std::int32_t>(value - 0.1 * (value - designed)));
        WaitPumping(10);
    }
    SetProperty(window, control, property, designed);
}

EventResult OnShortcutStep(const EventArgs& args) {
    if (args.values[0] == 1 && args.values[1] == 1) {
        HWND installation = GetWindowHandle(iw::kWindow, iw::kWindow);
        ShadowDetach(installation);
        ShadowAttach(installation, &glowShadow);
    }
    WaitPumping(1000);
    InstallerState& state = Installer();
    if (OptionTicked(op::kDesktopButton)) CreateClientShortcut(state, ShortcutPlace::Desktop);
    if (OptionTicked(op::kStartMenuButton)) CreateClientShortcut(state, ShortcutPlace::StartMenu);
    state.shortcutStepPending = 0;
    return std::nullopt;
}
