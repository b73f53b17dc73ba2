#pragma once
// Texts of the engine's status messages that need no system call.
#include <string_view>

#include "services/core/values.h"

enum class MessageLevel : int { Info = 0, Sent = 1, Received = 2, Error = 3 };

// "%d年%d月%d日" then the time down to its last non-zero field.
Text MessageTimeStamp(int year, int month, int day, int hour, int minute, int second);

// The socket layer's codes: its own (-2 to -22) and the negated system
// socket error numbers it knows; anything else is "未知错误".
std::string_view SocketErrorText(int code);

// Keeps the socket error numbers the layer knows as their negatives; any
// other system error is -1.
int SocketErrorCode(int systemError);

// What a failed receive reports: as SocketErrorCode, but an error the layer
// has no name for (10051, 10055, 10065, ...) is a receive error (-8). Taken
// for anything else, the caller would read a dead socket again at once,
// without end.
int ReceiveErrorCode(int systemError);
