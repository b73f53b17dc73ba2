#pragma once
// One window built from its description: the window control first, then
// every control of its table, in table order.
#include <memory>
#include <vector>

#include "controls/control.h"

class LoadedWindow {
public:
    explicit LoadedWindow(const WindowDescription& description) : description_(description) {}

    std::uint32_t id() const { return description_.id; }
    const Text& name() const { return description_.name; }
    const WindowDescription& description() const { return description_; }

    // The window's own control (the first of its table).
    Control& form() const { return *controls_.front(); }
    HWND handle() const { return controls_.empty() ? nullptr : controls_.front()->handle(); }
    // True from creation until the window's handle is destroyed.
    bool alive() const { return handle() != nullptr; }

    // The control with identifier `id` (the window's own included), or nothing.
    Control* Find(std::uint32_t id) const;
    const std::vector<std::unique_ptr<Control>>& controls() const { return controls_; }
    void Add(std::unique_ptr<Control> control) { controls_.push_back(std::move(control)); }

private:
    const WindowDescription& description_;
    std::vector<std::unique_ptr<Control>> controls_;
};

// A control object of the record's type.
std::unique_ptr<Control> MakeControl(LoadedWindow& window, const ControlRecord& record);
