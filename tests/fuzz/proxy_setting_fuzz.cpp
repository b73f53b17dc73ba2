// Proxy and bypass lists as the system's settings (or a PAC script) give
// them: choosing never reads out of bounds, and what is chosen comes from
// the list.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "download/core/http_request.h"
#include "services/core/proxy_setting.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view input(reinterpret_cast<const char*>(data), size);
    std::size_t split = input.find('\n');
    std::string_view list = input.substr(0, split);
    std::string_view rest = split == std::string_view::npos ? std::string_view() : input.substr(split + 1);

    for (std::string_view scheme : {"http", "https"}) {
        Text proxy = ProxyForScheme(list, scheme);
        if (proxy.size() > list.size()) std::abort();
        // What the engine then makes of it.
        (void)ProxyOf(proxy);
        (void)ProxyShown(proxy);
        Text line = ProxyAuthorizationLine(proxy);
        if (!line.empty() && (line.rfind("Proxy-Authorization: Basic ", 0) != 0 || line.find('\n') != line.size() - 1))
            std::abort();
    }
    (void)BypassesProxy(list, rest);
    SchemeAndHost parts = SchemeAndHostOf(rest);
    if (parts.host.size() > rest.size()) std::abort();
    return 0;
}
