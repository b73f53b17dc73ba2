// Building a window from its description: the window, then every control
// in table order on the control its record names, then the creation
// messages, the visible controls, the window itself and its first events.
#include <algorithm>

#include "controls/form.h"
#include "controls/loaded_window.h"
#include "frame/application.h"
#include "frame/frame.h"

namespace {

// Overlapping controls of one parent: the smaller lies above the larger
// (a button or an icon on a picture, a check frame on its caption button),
// and of two the same size the later one. The skin is made of small controls
// on large surfaces, whatever order the table has them in.
void StackBySize(const LoadedWindow& window) {
    std::vector<Control*> order;
    for (const auto& control : window.controls())
        if (control.get() != &window.form()) order.push_back(control.get());
    auto area = [](Control* control) {
        RECT box;
        GetWindowRect(control->handle(), &box);
        return static_cast<long long>(box.right - box.left) * (box.bottom - box.top);
    };
    std::stable_sort(order.begin(), order.end(), [&](Control* a, Control* b) { return area(a) > area(b); });
    for (Control* control : order)
        SetWindowPos(control->handle(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

bool CreateControls(LoadedWindow& window, HWND owner) {
    if (!window.form().Create(owner)) return false;
    for (const auto& control : window.controls()) {
        if (control.get() == &window.form()) continue;
        Control* parent = control->parentId() == 0 ? &window.form() : window.Find(control->parentId());
        if (!parent || !parent->handle() || !control->Create(parent->handle())) return false;
    }
    StackBySize(window);
    return true;
}

void RunModalLoop(LoadedWindow& window, HWND owner) {
    if (owner) EnableWindow(owner, FALSE);
    MSG message = {};
    while (window.alive() && GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    if (message.message == WM_QUIT) PostQuitMessage(static_cast<int>(message.wParam));
    if (owner) EnableWindow(owner, TRUE);
}

}  // namespace

bool LoadWindow(std::uint32_t id, HWND owner, bool modal) {
    const WindowDescription* description = FindWindowDescription(id);
    if (!description) return false;
    if (LoadedWindow* existing = FindLoadedWindow(id); existing && existing->alive()) {
        existing->form().ApplyVisibility();
        if (modal) RunModalLoop(*existing, owner);
        return true;
    }
    auto made = std::make_unique<LoadedWindow>(*description);
    for (const ControlRecord& record : description->controls) made->Add(MakeControl(*made, record));
    LoadedWindow& window = AddLoadedWindow(std::move(made));
    if (!CreateControls(window, owner)) {
        if (window.handle()) DestroyWindow(window.handle());
        return false;
    }
    for (const auto& control : window.controls())
        if (control.get() != &window.form()) SendMessageW(control->handle(), kCreationCompleteMessage, 0, 0);
    SendMessageW(window.handle(), kWindowCreatedMessage, 0, 0);
    for (const auto& control : window.controls())
        if (control.get() != &window.form() && control->visible()) control->ApplyVisibility();
    if (window.form().visible()) window.form().ApplyVisibility();
    for (int event : {Form::kCreated, Form::kMoved, Form::kResized})
        if (window.alive()) window.form().Raise(event);
    if (modal && window.alive()) RunModalLoop(window, owner);
    return true;
}
