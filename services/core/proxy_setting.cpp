#include "services/core/proxy_setting.h"

#include <vector>

namespace {

char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; }

Text Lowered(std::string_view text) {
    Text lower;
    for (char c : text) lower += Lower(c);
    return lower;
}

// Entries separated by ";" or blanks, empty ones dropped.
std::vector<std::string_view> Entries(std::string_view list) {
    std::vector<std::string_view> entries;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= list.size(); ++i) {
        if (i == list.size() || list[i] == ';' || list[i] == ' ' || list[i] == '\t') {
            if (i > start) entries.push_back(list.substr(start, i - start));
            start = i + 1;
        }
    }
    return entries;
}

// "http://host:port/" as "host:port".
Text Bare(std::string_view entry) {
    Text lower = Lowered(entry);
    if (lower.rfind("http://", 0) == 0) entry.remove_prefix(7);
    while (!entry.empty() && entry.back() == '/') entry.remove_suffix(1);
    return Text(entry);
}

// "*" matches any run of characters; both texts in lower case.
bool Matches(std::string_view pattern, std::string_view text) {
    std::size_t p = 0, t = 0, star = std::string_view::npos, resume = 0;
    while (t < text.size()) {
        if (p < pattern.size() && pattern[p] == '*') {
            star = p++;
            resume = t;
        } else if (p < pattern.size() && pattern[p] == text[t]) {
            ++p;
            ++t;
        } else if (star != std::string_view::npos) {
            p = star + 1;
            t = ++resume;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*') ++p;
    return p == pattern.size();
}

}  // namespace

Text ProxyForScheme(std::string_view list, std::string_view scheme) {
    Text wanted = Lowered(scheme) + "=";
    Text general;
    for (std::string_view entry : Entries(list)) {
        Text lower = Lowered(entry);
        if (lower == "direct") {
            if (general.empty()) return {};  // no proxy before any other
            continue;
        }
        std::size_t equals = entry.find('=');
        if (equals == std::string_view::npos) {
            if (general.empty()) general = Bare(entry);
        } else if (lower.compare(0, wanted.size(), wanted) == 0) {
            return Bare(entry.substr(equals + 1));
        }
    }
    return general;
}

bool BypassesProxy(std::string_view bypassList, std::string_view host) {
    Text lowerHost = Lowered(host);
    for (std::string_view entry : Entries(bypassList)) {
        Text pattern = Lowered(entry);
        if (pattern == "<local>") {
            if (lowerHost.find('.') == Text::npos && lowerHost.find(':') == Text::npos) return true;
            continue;
        }
        if (pattern.rfind("http://", 0) == 0) pattern.erase(0, 7);
        if (Matches(pattern, lowerHost)) return true;
    }
    return false;
}

SchemeAndHost SchemeAndHostOf(std::string_view url) {
    SchemeAndHost parts;
    std::size_t separator = url.find("://");
    if (separator == std::string_view::npos) return parts;
    parts.scheme = Lowered(url.substr(0, separator));
    std::string_view rest = url.substr(separator + 3);
    rest = rest.substr(0, rest.find_first_of("/?#"));
    std::size_t at = rest.rfind('@');
    if (at != std::string_view::npos) rest.remove_prefix(at + 1);
    if (!rest.empty() && rest.front() == '[') {
        std::size_t close = rest.find(']');
        parts.host = Text(rest.substr(1, close == std::string_view::npos ? std::string_view::npos : close - 1));
    } else {
        parts.host = Text(rest.substr(0, rest.find(':')));
    }
    return parts;
}
