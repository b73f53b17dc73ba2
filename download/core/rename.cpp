#include "download/core/rename.h"

#include <string>

#include "services/core/text.h"

std::optional<Text> NextFileName(std::string_view name) {
    std::size_t dot = name.find('.');
    bool hasDot = dot != std::string_view::npos;
    std::string_view base = hasDot ? name.substr(0, dot) : name;
    std::string_view extension = hasDot ? name.substr(dot + 1) : std::string_view();

    Text number = "1";
    std::size_t open = name.find('(');
    if (!base.empty() && base.back() == ')' && open != std::string_view::npos && open + 1 < base.size()) {
        std::string_view inner = base.substr(open + 1, base.size() - open - 2);
        if (inner.size() >= 3) return std::nullopt;
        if (!inner.empty()) {
            bool digits = true;
            int k = 0;
            for (char c : inner) {
                if (c < '0' || c > '9')
                    digits = false;
                else
                    k = k * 10 + (c - '0');
            }
            if (digits && k != 0) {
                if (k + 1 >= 100) return std::nullopt;
                number = std::to_string(k + 1);
            } else {
                number = Text(inner);  // 0 or not a number: the same text again
            }
            base = base.substr(0, open);
        }
    }
    Text next = Text(base) + "(" + number + ")";
    if (hasDot) next += "." + Text(extension);
    return next;
}

RenameResult AutoRenamePath(std::string_view path, const std::function<bool(const Text&)>& exists) {
    Text current(path);
    for (int attempt = 0; attempt < kRenameAttempts; ++attempt) {
        int slash = FindTextLast(current, "\\");
        Text folder = slash > 0 ? current.substr(0, static_cast<std::size_t>(slash)) : Text();
        Text name = slash > 0 ? current.substr(static_cast<std::size_t>(slash)) : current;
        std::optional<Text> next = NextFileName(name);
        if (!next || folder.size() + next->size() + 1 > kPathLimit) return {RenameResult::NoName, {}};
        current = folder + *next;
        if (!exists(current)) return {RenameResult::Renamed, current};
    }
    return {RenameResult::TooManyAttempts, {}};
}
