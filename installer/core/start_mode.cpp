#include "installer/core/start_mode.h"

#include "services/core/text.h"

namespace {

// "/S" (or "/s") as one blank-separated word of the arguments.
bool HasQuietSwitch(std::string_view arguments) {
    std::size_t at = 0;
    while (at < arguments.size()) {
        while (at < arguments.size() && (arguments[at] == ' ' || arguments[at] == '\t')) ++at;
        std::size_t end = at;
        while (end < arguments.size() && arguments[end] != ' ' && arguments[end] != '\t') ++end;
        std::string_view word = arguments.substr(at, end - at);
        if (word == "/S" || word == "/s") return true;
        at = end;
    }
    return false;
}

}  // namespace

StartMode StartModeOf(std::string_view fileName, std::string_view arguments) {
    if (FindText(fileName, "卸载") == -1) return StartMode::Install;
    return HasQuietSwitch(arguments) ? StartMode::QuietUninstall : StartMode::Uninstall;
}
