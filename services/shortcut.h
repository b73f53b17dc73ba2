#pragma once
#include <optional>
#include <string_view>

// Writes a shell link to `target`. ".lnk" is appended to a link path that
// holds no dot. Arguments and working folder are only applied when the
// description is given too. Needs COM initialised on the calling thread.
bool CreateShortcut(std::string_view link, std::string_view target,
                    std::optional<std::string_view> description = std::nullopt,
                    std::optional<std::string_view> arguments = std::nullopt,
                    std::optional<std::string_view> workingFolder = std::nullopt);
