#pragma once
// Reading an HTTP response header out of the bytes received so far.
#include <optional>
#include <string_view>

#include "services/core/values.h"

inline constexpr std::size_t kHeaderBuffer = 4096;

// Where the header block lies in the received bytes: from the status line
// ("HTTP/1.1" or "HTTP/1.0", whichever comes first) through CRLF CRLF.
struct HeaderBlock {
    std::size_t start;
    std::size_t end;  // one past the final LF; body bytes follow
};
std::optional<HeaderBlock> FindHeaderBlock(std::string_view received);

struct HttpResponse {
    int status = 0;
    long long contentLength = -1;  // -1: absent
    long long contentRange = 0;    // the Content-Range value read as a number
    std::optional<Text> location, setCookie, contentType, connection, acceptRanges, lastModified, server, via;
    std::optional<Text> fileName;  // from Content-Disposition
};

HttpResponse ParseHttpResponse(std::string_view block);

// The file name in a Content-Disposition value: between the first two double
// quotes after "filename=", or the rest of the value.
std::optional<Text> DispositionFileName(std::string_view value);
