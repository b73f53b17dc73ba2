#include "download/core/http_response.h"

#include <algorithm>

namespace {

// The value after the first occurrence of `name` (with its ": "), to CRLF.
std::optional<Text> HeaderValue(std::string_view block, std::string_view name) {
    std::size_t at = block.find(name);
    if (at == std::string_view::npos) return std::nullopt;
    std::size_t from = at + name.size();
    std::size_t end = block.find("\r\n", from);
    return Text(block.substr(from, end == std::string_view::npos ? std::string_view::npos : end - from));
}

std::optional<Text> EitherHeader(std::string_view block, std::string_view first, std::string_view second) {
    auto value = HeaderValue(block, first);
    return value ? value : HeaderValue(block, second);
}

// atoi-like: blanks, a sign, digits; saturates far beyond any 32-bit size.
long long LeadingNumber(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
    long long value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
        value = std::min(value * 10 + (text[i] - '0'), 1LL << 40);
    return negative ? -value : value;
}

}  // namespace

std::optional<HeaderBlock> FindHeaderBlock(std::string_view received) {
    std::size_t start = std::min(received.find("HTTP/1.1"), received.find("HTTP/1.0"));
    if (start == std::string_view::npos) return std::nullopt;
    std::size_t end = received.find("\r\n\r\n", start);
    if (end == std::string_view::npos) return std::nullopt;
    return HeaderBlock{start, end + 4};
}

std::optional<Text> DispositionFileName(std::string_view value) {
    std::size_t at = value.find("filename=");
    if (at == std::string_view::npos) return std::nullopt;
    std::string_view rest = value.substr(at + 9);
    std::size_t open = rest.find('"');
    if (open != std::string_view::npos) {
        std::size_t close = rest.find('"', open + 1);
        if (close != std::string_view::npos) return Text(rest.substr(open + 1, close - open - 1));
    }
    if (!rest.empty() && (rest.back() == '\r' || rest.back() == '\n')) rest.remove_suffix(1);
    return Text(rest);
}

HttpResponse ParseHttpResponse(std::string_view block) {
    HttpResponse response;
    if (block.size() >= 12) response.status = static_cast<int>(LeadingNumber(block.substr(9, 3)));
    auto contentLength = [&] {
        auto value = EitherHeader(block, "Content-Length: ", "Content-length: ");
        if (!value) return -1LL;
        long long n = LeadingNumber(*value);
        return n < 0 ? -1LL : n;
    };
    switch (response.status) {
        case 200: response.contentLength = contentLength(); break;
        case 206: {
            auto range = EitherHeader(block, "Content-Range: ", "Content-range: ");
            if (range) response.contentRange = LeadingNumber(*range);
            response.contentLength = -1;
            response.via = HeaderValue(block, "Via: ");
            break;
        }
        case 301:
        case 302:
            response.contentLength = contentLength();
            response.location = HeaderValue(block, "Location: ");
            break;
        default: return response;
    }
    response.acceptRanges = HeaderValue(block, "Accept-Ranges: ");
    response.connection = HeaderValue(block, "Connection: ");
    response.contentType = EitherHeader(block, "Content-Type: ", "Content-type: ");
    response.setCookie = EitherHeader(block, "Set-Cookie: ", "Set-cookie: ");
    response.lastModified = HeaderValue(block, "Last-Modified: ");
    response.server = HeaderValue(block, "Server: ");
    if (auto disposition = EitherHeader(block, "Content-Disposition: ", "Content-disposition: "))
        response.fileName = DispositionFileName(*disposition);
    return response;
}
