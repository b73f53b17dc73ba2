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

// "Content-Range: bytes FIRST-LAST/TOTAL"; total -1 for "*".
struct ContentRange {
    long long first = 0;
    long long last = 0;
    long long total = -1;
};

struct HttpResponse {
    int status = 0;
    long long contentLength = -1;       // -1: absent
    std::optional<ContentRange> range;  // of a 206, when its Content-Range reads as one
    std::optional<Text> location, setCookie, contentType, connection, acceptRanges, lastModified, server, via;
    std::optional<Text> fileName;  // from Content-Disposition
};

// Header names are matched without regard to case and only as whole names at
// the start of a line: proxies and load balancers send them in lower case.
HttpResponse ParseHttpResponse(std::string_view block);

// The statuses that send the request on to a Location.
bool IsRedirectStatus(int status);

// Whether an answer to "Range: bytes=<offset>-" is that range of this file:
// a 206 whose Content-Range starts at the offset and names the file's size.
// Anything else (a 200 with the whole file, another range, another file) must
// never be written at the offset.
bool AnswersRange(const HttpResponse& response, long long offset, long long fileSize);

// The file name in a Content-Disposition value: between the first two double
// quotes after "filename=", or the rest of the value.
std::optional<Text> DispositionFileName(std::string_view value);

// The value of a "bytes FIRST-LAST/TOTAL" Content-Range, if it is one.
std::optional<ContentRange> ParseContentRange(std::string_view value);
