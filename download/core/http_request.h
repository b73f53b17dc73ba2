#pragma once
// What an HTTP task sends: the request data kept for the task, the request
// text, and how a redirect changes the data.
#include <optional>
#include <string_view>

#include "download/core/url.h"
#include "services/core/values.h"

inline constexpr std::string_view kUserAgent = "Mozilla/4.0 (compatible; MSIE 5.00; Windows 98)";
inline constexpr std::size_t kRequestLimit = 1023;
inline constexpr int kMaxRedirects = 10;

struct HttpRequestData {
    Text host;    // host part as in the URL, port included
    Text target;  // the path, or with a proxy the whole URL
    int port = 80;
    Text proxy;  // empty: none
    Text referer;
    Text cookieLine;  // "Cookie: ...\r\n" after a redirect that set one
    // Over TLS ("https://"). Through a proxy it goes by a CONNECT tunnel, so
    // the request itself takes the direct form.
    bool secure = false;
};

// From a parsed http:// URL. The referer is the caller's or the URL up to its
// last "/".
HttpRequestData MakeHttpRequestData(std::string_view url, std::string_view host, std::string_view path, int port,
                                    std::string_view proxy, std::string_view referer, bool secure = false);

// A plain request to a proxy: the whole URL as target, no Range or Cookie.
bool UsesProxyForm(const HttpRequestData& data);

// The request text with an extra header line ("Range: ..." or a cookie line,
// ending in CRLF, or empty). None when it would not fit 1023 bytes: nothing
// is then sent.
std::optional<Text> BuildHttpRequest(const HttpRequestData& data, std::string_view extraLine);

// "Range: bytes=<offset>-\r\n"
Text RangeLine(long long offset);

// Follows a Location: a URL replaces host and path, "//host/path" keeps the
// scheme, "/path" replaces the path, anything else is relative to the current
// path's folder. False (data unchanged in what matters) when the cookie is
// too long, the location is ftp://, an absolute one is not a usable URL, or
// it would take a secure download to plain HTTP.
bool FollowRedirect(HttpRequestData& data, std::string_view location, const std::optional<Text>& setCookie);

// Where the name is resolved: the host part without its port (or brackets).
HostAndPort ServerOf(const HttpRequestData& data);
// The proxy text split at its last ":" (port 80 without one); "[v6]:port" too.
// Credentials before an "@" ("user:password@host:port") are not part of it.
HostAndPort ProxyOf(std::string_view proxy);
// The proxy as it may be shown: without its credentials.
Text ProxyShown(std::string_view proxy);
// "Proxy-Authorization: Basic ...\r\n" for a proxy text with credentials,
// else empty. Sent to the proxy only: in its own requests, never through a
// tunnel.
Text ProxyAuthorizationLine(std::string_view proxy);
// A request as its status message shows it: the proxy credentials as
// "Basic ******" (Base64 hides nothing).
Text ShownRequest(std::string_view request);

// What asks a proxy for a tunnel to the server of a secure download.
Text BuildConnectRequest(const HttpRequestData& data);
