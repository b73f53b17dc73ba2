#include "download/core/http_response.h"

#include <algorithm>

namespace {

char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; }

bool SameName(std::string_view a, std::string_view b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return Lower(x) == Lower(y); });
}

std::string_view Trimmed(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    return text;
}

// The value of the first header line named `name` (any case), to its CRLF.
// The status line is not a header, whatever it holds.
std::optional<Text> HeaderValue(std::string_view block, std::string_view name) {
    std::size_t line = block.find("\r\n");
    while (line != std::string_view::npos) {
        line += 2;
        std::size_t end = block.find("\r\n", line);
        std::string_view text = block.substr(line, end == std::string_view::npos ? std::string_view::npos : end - line);
        std::size_t colon = text.find(':');
        if (colon != std::string_view::npos && SameName(text.substr(0, colon), name))
            return Text(Trimmed(text.substr(colon + 1)));
        line = end;
    }
    return std::nullopt;
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

// Digits only, at least one, at the front of `text`; moves past them.
std::optional<long long> TakeDigits(std::string_view& text) {
    std::size_t n = 0;
    long long value = 0;
    while (n < text.size() && text[n] >= '0' && text[n] <= '9') {
        value = std::min(value * 10 + (text[n] - '0'), 1LL << 40);
        ++n;
    }
    if (n == 0) return std::nullopt;
    text.remove_prefix(n);
    return value;
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

std::optional<ContentRange> ParseContentRange(std::string_view value) {
    value = Trimmed(value);
    if (value.size() < 6 || !SameName(value.substr(0, 5), "bytes") || (value[5] != ' ' && value[5] != '\t'))
        return std::nullopt;
    value = Trimmed(value.substr(6));
    ContentRange range;
    std::optional<long long> first = TakeDigits(value);
    if (!first || value.empty() || value.front() != '-') return std::nullopt;
    value.remove_prefix(1);
    std::optional<long long> last = TakeDigits(value);
    if (!last || *last < *first || value.empty() || value.front() != '/') return std::nullopt;
    value.remove_prefix(1);
    range.first = *first;
    range.last = *last;
    if (value == "*") return range;
    std::optional<long long> total = TakeDigits(value);
    if (!total || !value.empty() || *total <= *last) return std::nullopt;
    range.total = *total;
    return range;
}

bool IsRedirectStatus(int status) {
    return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

bool AnswersRange(const HttpResponse& response, long long offset, long long fileSize) {
    return response.status == 206 && response.range && response.range->first == offset &&
           response.range->total == fileSize;
}

HttpResponse ParseHttpResponse(std::string_view block) {
    HttpResponse response;
    if (block.size() >= 12) response.status = static_cast<int>(LeadingNumber(block.substr(9, 3)));
    auto contentLength = [&] {
        auto value = HeaderValue(block, "Content-Length");
        if (!value) return -1LL;
        long long n = LeadingNumber(*value);
        return n < 0 ? -1LL : n;
    };
    if (response.status == 200) {
        response.contentLength = contentLength();
    } else if (response.status == 206) {
        if (auto range = HeaderValue(block, "Content-Range")) response.range = ParseContentRange(*range);
        response.via = HeaderValue(block, "Via");
    } else if (IsRedirectStatus(response.status)) {
        response.contentLength = contentLength();
        response.location = HeaderValue(block, "Location");
    } else {
        return response;
    }
    response.acceptRanges = HeaderValue(block, "Accept-Ranges");
    response.connection = HeaderValue(block, "Connection");
    response.contentType = HeaderValue(block, "Content-Type");
    response.setCookie = HeaderValue(block, "Set-Cookie");
    response.lastModified = HeaderValue(block, "Last-Modified");
    response.server = HeaderValue(block, "Server");
    if (auto disposition = HeaderValue(block, "Content-Disposition"))
        response.fileName = DispositionFileName(*disposition);
    return response;
}
