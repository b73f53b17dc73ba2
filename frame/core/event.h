#pragma once
// An event as the frame hands it to a bound handler: which window and
// control raised it, its number (common events from -1 down, the type's own
// from 0 up) and up to four integer arguments. A handler may answer with a
// value; for a window's close query and close request a false answer (0)
// cancels the close.
#include <array>
#include <cstdint>
#include <optional>
#include <span>

struct EventArgs {
    std::uint32_t window = 0;
    std::uint32_t control = 0;
    int number = 0;
    int count = 0;
    std::array<std::int32_t, 4> values{};
};

using EventResult = std::optional<std::int32_t>;
using EventHandler = EventResult (*)(const EventArgs&);

// The program's handler table, generated from its layout sources.
std::span<const EventHandler> LayoutHandlers();
