// The strip's countdown lives in the width of a hidden bar: one pixel a
// hundredth of a second. A thread counts it down by the time that passed,
// fading the strip over its last 180 pixels, and hides the strip when it
// reaches nothing.
#include "window/notice_strip.h"

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <thread>

#include "controls/label.h"
#include "controls/picture_box.h"
#include "controls/window_operations.h"
#include "layout_ids.h"
#include "services/core/convert.h"
#include "services/core/numbers.h"
#include "window/core/countdown_clock.h"
#include "window/pumping_wait.h"

namespace mw = layout::main_window;
namespace ss = layout::status_strip;

namespace {

constexpr int kPictureBackColour = OwnProperty(PictureBox::kBackColor);
constexpr int kLabelCaption = OwnProperty(Label::kCaption), kLabelBackColour = OwnProperty(Label::kBackColor);
constexpr int kFadeFrom = 180;

// Pixels the bar loses a tick: written by the countdown thread, 1 when it
// starts and 3 near the end; a later notice does not reset it.
std::atomic<int> countdownStep{1};
// Whether a countdown thread runs: set by the notice that starts it, cleared
// by the thread as it ends.
std::atomic<bool> countdownRunning{false};

bool StripVisible() { return GetNumberProperty(ss::kWindow, ss::kWindow, kVisible) != 0; }
HWND StripHandle() { return GetWindowHandle(ss::kWindow, ss::kWindow); }

// One tick of `hundredths`; false once it has hidden the strip.
bool CountDownOnce(std::int64_t hundredths) {
    std::int32_t width = GetNumberProperty(ss::kWindow, ss::kCountdownBar, kWidth);
    if (width <= 0) {
        SetProperty(ss::kWindow, ss::kWindow, kVisible, 0);
        return false;
    }
    auto left = static_cast<std::int32_t>(std::max<std::int64_t>(width - countdownStep.load() * hundredths, 0));
    SetProperty(ss::kWindow, ss::kCountdownBar, kWidth, left);
    SetProperty(ss::kWindow, ss::kSeconds, kLabelCaption, ToText(RoundTo(left / 100.0, 1)));
    width = GetNumberProperty(ss::kWindow, ss::kCountdownBar, kWidth);
    if (width <= kFadeFrom) {
        countdownStep = 3;
        SetOpacity(StripHandle(), width + 75);
    }
    return true;
}

void CountDown() {
    // The thread ends with the strip it hid. A notice that came just then
    // found it still running and started none: go on for that one, as a
    // new countdown.
    do {
        countdownStep = 1;
        CountdownClock clock(static_cast<std::int64_t>(GetTickCount64()));
        while (StripVisible() && CountDownOnce(clock.Tick(static_cast<std::int64_t>(GetTickCount64()))))
            WaitPumping(10, 0);
        countdownRunning = false;
    } while (StripVisible() && !countdownRunning.exchange(true));
}

}  // namespace

unsigned NoticeColour(int kind) {
    switch (kind) {
        case 0: return 69 | 185 << 8 | 124 << 16;
        case 1: return 196 | 66 << 8 | 52 << 16;
        default: return 250 | 167 << 8 | 85 << 16;
    }
}

void ShowNotice(std::string_view text, int kind, int seconds) {
    if (!GetNumberProperty(mw::kWindow, mw::kWindow, kVisible)) return;
    if (seconds == 0) seconds = 3;
    SetOpacity(StripHandle(), 255);
    SetProperty(ss::kWindow, ss::kText, kLabelCaption, Text(text));
    SetProperty(ss::kWindow, ss::kWindow, kTop, GetNumberProperty(mw::kWindow, mw::kWindow, kTop));
    SetProperty(ss::kWindow, ss::kWindow, kLeft, GetNumberProperty(mw::kWindow, mw::kWindow, kLeft));
    std::int32_t colour = static_cast<std::int32_t>(NoticeColour(kind));
    SetProperty(ss::kWindow, ss::kBackground, kPictureBackColour, colour);
    SetProperty(ss::kWindow, ss::kText, kLabelBackColour, colour);
    SetProperty(ss::kWindow, ss::kSeconds, kLabelBackColour, colour);
    SetProperty(ss::kWindow, ss::kCross, kPictureBackColour, colour);
    SetProperty(ss::kWindow, ss::kCountdownBar, kWidth, seconds * 100);
    if (StripVisible()) return;  // the running countdown goes on with the new width
    ActivateWindow(mw::kWindow);
    SetProperty(ss::kWindow, ss::kWindow, kVisible, 1);
    if (!countdownRunning.exchange(true)) std::thread(CountDown).detach();
}
