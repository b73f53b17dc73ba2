// URLs and redirect locations from outside: parsing never reads out of
// bounds, and what it returns is consistent with the input.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "download/core/http_request.h"
#include "download/core/url.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view input(reinterpret_cast<const char*>(data), size);
    std::size_t split = input.find('\n');
    std::string_view url = input.substr(0, split);
    std::string_view location = split == std::string_view::npos ? std::string_view() : input.substr(split + 1);

    ParsedUrl parsed = ParseUrl(url);
    if (parsed.protocol != Protocol::None) {
        if (parsed.host.empty() || parsed.path.empty() || parsed.path[0] != '/') std::abort();
        if (parsed.port < 1 || parsed.port > 65535) std::abort();
        if (url.find(parsed.host) == std::string_view::npos) std::abort();
    }
    (void)IsDottedIPv4(url);
    (void)DecodeUrlText(url);
    if (parsed.protocol == Protocol::Http) {
        HttpRequestData request = MakeHttpRequestData(url, parsed.host, parsed.path, parsed.port, "", "");
        (void)ServerOf(request);
        (void)FollowRedirect(request, location, Text(location.substr(0, 64)));
        std::optional<Text> text = BuildHttpRequest(request, RangeLine(12345));
        if (text && text->size() > kRequestLimit) std::abort();
    }
    (void)ProxyOf(location);
    return 0;
}
