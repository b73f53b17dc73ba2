#pragma once
// Download URLs: the scheme test, host, port and path, and the helpers the
// HTTP request data is built with.
#include <string_view>

#include "services/core/values.h"

enum class Protocol : int { None = 0, Http = 1, Ftp = 2, Mms = 3, Rtsp = 4 };

struct ParsedUrl {
    Protocol protocol = Protocol::None;  // None: not recognised or no host
    bool secure = false;                 // "https://": HTTP over TLS, port 443 unless given
    int port = 0;
    Text host;  // the host part as written, with user, password and port if any
    Text path;  // from the first "/" after the host to the end
};

// The scheme is recognised by its first letter and the sum of the bytes of
// the characters after it ("http://" is "h" and 496).
ParsedUrl ParseUrl(std::string_view url);

// A host part split into the name to look up and the port.
struct HostAndPort {
    Text name;
    int port;
};
// "name", "name:port", "[v6]" or "[v6]:port": the name without brackets and
// the port (defaultPort without one; 0 when it is no number within 1..65535,
// or a bracket is not closed).
HostAndPort SplitHostPort(std::string_view hostPart, int defaultPort);

// Exactly four dot-separated parts of one to three digits, each at most 255.
bool IsDottedIPv4(std::string_view text);

// The number after the first ":" (0 when none or not a number within 1..65535).
int PortAfterColon(std::string_view text);

// Each "%" with two hexadecimal digits becomes that byte and each "+" a space;
// an invalid escape is kept literally. At most 1023 bytes.
Text DecodeUrlText(std::string_view text);

// Spaces as "%20".
Text EscapeSpaces(std::string_view text);

// CR and LF removed.
Text WithoutLineBreaks(std::string_view text);

// The part after the last "/" (the whole text without one).
Text LastPathPart(std::string_view text);
