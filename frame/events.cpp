#include "frame/events.h"

#include <algorithm>

#include "controls/loaded_window.h"
#include "frame/application.h"
#include "frame/core/fatal.h"

EventResult RaiseEvent(std::uint32_t window, std::uint32_t control, int number,
                       std::initializer_list<std::int32_t> values) {
    if (ErrorNestingCounter().load() > 0) return std::nullopt;
    LoadedWindow* loaded = FindLoadedWindow(window);
    if (!loaded) ReportFatalError("未找到引发事件的窗口", 0, static_cast<int>(window), static_cast<int>(control));
    if (!loaded->Find(control))
        ReportFatalError("未找到引发事件的窗口组件", 0, static_cast<int>(window), static_cast<int>(control));
    auto bound = App().handlers.find({window, control});
    if (bound == App().handlers.end()) return std::nullopt;
    for (const BoundHandler& entry : bound->second) {
        if (entry.number != number) continue;
        EventArgs args;
        args.window = window;
        args.control = control;
        args.number = number;
        args.count = static_cast<int>(std::min<std::size_t>(values.size(), args.values.size()));
        std::copy_n(values.begin(), args.count, args.values.begin());
        return entry.handler(args);
    }
    return std::nullopt;
}
