#include "download/core/url.h"

#include <algorithm>

namespace {

struct Scheme {
    char first;
    int length;  // characters in all, the first one included
    int sum;     // of the characters after the first
    Protocol protocol;
    int port;
    bool secure = false;
};

// Tried in this order; a first letter that matches with a wrong sum falls
// through to the later entries.
constexpr Scheme kSchemes[] = {
    {'h', 7, 496, Protocol::Http, 80},  {'h', 8, 611, Protocol::Http, 443, true}, {'f', 6, 380, Protocol::Ftp, 21},
    {'m', 6, 376, Protocol::Mms, 1755}, {'m', 7, 492, Protocol::Mms, 1755},       {'r', 7, 495, Protocol::Rtsp, 554},
};

char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; }

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

const Scheme* MatchScheme(std::string_view url) {
    for (const Scheme& scheme : kSchemes) {
        if (url.size() < static_cast<std::size_t>(scheme.length) || Lower(url[0]) != scheme.first) continue;
        int sum = 0;
        for (int i = 1; i < scheme.length; ++i) sum += static_cast<unsigned char>(Lower(url[i]));
        if (sum == scheme.sum) return &scheme;
    }
    return nullptr;
}

}  // namespace

int PortAfterColon(std::string_view text) {
    std::size_t colon = text.find(':');
    if (colon == std::string_view::npos) return 0;
    long value = 0;
    std::size_t i = colon + 1;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9' && value <= 65535; ++i)
        value = value * 10 + (text[i] - '0');
    return (i == colon + 1 || value < 1 || value > 65535) ? 0 : static_cast<int>(value);
}

HostAndPort SplitHostPort(std::string_view hostPart, int defaultPort) {
    if (!hostPart.empty() && hostPart.front() == '[') {
        std::size_t close = hostPart.find(']');
        if (close == std::string_view::npos) return {Text(hostPart), 0};
        Text name(hostPart.substr(1, close - 1));
        std::string_view rest = hostPart.substr(close + 1);
        if (rest.empty()) return {name, defaultPort};
        return {name, rest.front() == ':' ? PortAfterColon(rest) : 0};
    }
    std::size_t colon = hostPart.find(':');
    if (colon == std::string_view::npos) return {Text(hostPart), defaultPort};
    return {Text(hostPart.substr(0, colon)), PortAfterColon(hostPart)};
}

ParsedUrl ParseUrl(std::string_view url) {
    ParsedUrl parsed;
    const Scheme* scheme = MatchScheme(url);
    if (!scheme) return parsed;
    std::size_t hostStart = static_cast<std::size_t>(scheme->length);
    std::size_t slash = url.find('/', hostStart);
    if (slash == std::string_view::npos || slash == hostStart) return parsed;
    parsed.host = Text(url.substr(hostStart, slash - hostStart));
    parsed.path = Text(url.substr(slash));
    parsed.port = scheme->port;
    parsed.secure = scheme->secure;
    std::string_view host = parsed.host;
    if (host.find(':') != std::string_view::npos) {
        std::size_t at = host.find('@');
        if (at != std::string_view::npos) {
            std::string_view afterAt = host.substr(at + 1);
            int port = PortAfterColon(afterAt);
            parsed.port = afterAt.find(':') != std::string_view::npos ? port : 21;
        } else {
            parsed.port = SplitHostPort(host, scheme->port).port;
        }
    } else if (!host.empty() && host.front() == '[') {
        parsed.port = SplitHostPort(host, scheme->port).port;  // an IPv6 literal without a port
    }
    parsed.protocol = parsed.port > 0 ? scheme->protocol : Protocol::None;
    return parsed;
}

bool IsDottedIPv4(std::string_view text) {
    int parts = 0;
    std::size_t i = 0;
    while (true) {
        std::size_t digits = 0;
        int value = 0;
        while (i < text.size() && text[i] >= '0' && text[i] <= '9' && digits < 4) {
            value = value * 10 + (text[i] - '0');
            ++digits;
            ++i;
        }
        if (digits == 0 || digits > 3 || value > 255) return false;
        ++parts;
        if (i == text.size()) return parts == 4;
        if (text[i] != '.' || parts == 4) return false;
        ++i;
    }
}

Text DecodeUrlText(std::string_view text) {
    Text out;
    for (std::size_t i = 0; i < text.size() && out.size() < 1023; ++i) {
        if (text[i] == '%' && i + 2 < text.size() && HexValue(text[i + 1]) >= 0 && HexValue(text[i + 2]) >= 0) {
            out += static_cast<char>(HexValue(text[i + 1]) * 16 + HexValue(text[i + 2]));
            i += 2;
        } else if (text[i] == '+') {
            out += ' ';
        } else {
            out += text[i];
        }
    }
    return out;
}

Text EscapeSpaces(std::string_view text) {
    Text out;
    for (char c : text) {
        if (c == ' ')
            out += "%20";
        else
            out += c;
    }
    return out;
}

Text WithoutLineBreaks(std::string_view text) {
    Text out;
    std::copy_if(text.begin(), text.end(), std::back_inserter(out), [](char c) { return c != '\r' && c != '\n'; });
    return out;
}

Text LastPathPart(std::string_view text) {
    std::size_t slash = text.rfind('/');
    return Text(slash == std::string_view::npos ? text : text.substr(slash + 1));
}
