#pragma once
// Raising events to the handlers the layout binds, on the user-interface
// thread. While the error-nesting counter is above 0 nothing is raised.
#include <cstdint>
#include <initializer_list>

#include "frame/core/event.h"

// Nothing when no handler is bound or none may run now. An unknown window
// or control is a fatal error.
EventResult RaiseEvent(std::uint32_t window, std::uint32_t control, int number,
                       std::initializer_list<std::int32_t> values = {});
