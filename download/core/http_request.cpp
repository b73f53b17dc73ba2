#include "download/core/http_request.h"

#include <string>

#include "download/core/url.h"

namespace {

Text UpToLastSlash(std::string_view text) {
    std::size_t slash = text.rfind('/');
    return Text(slash == std::string_view::npos ? text : text.substr(0, slash));
}

Text ThroughLastSlash(std::string_view text) {
    std::size_t slash = text.rfind('/');
    return slash == std::string_view::npos ? Text() : Text(text.substr(0, slash + 1));
}

Text SchemeOf(const HttpRequestData& data) { return data.secure ? "https://" : "http://"; }

Text Lowered(std::string_view text) {
    Text lower;
    for (char c : text) lower += (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
    return lower;
}

}  // namespace

bool UsesProxyForm(const HttpRequestData& data) { return !data.proxy.empty() && !data.secure; }

HttpRequestData MakeHttpRequestData(std::string_view url, std::string_view host, std::string_view path, int port,
                                    std::string_view proxy, std::string_view referer, bool secure) {
    HttpRequestData data;
    data.host = Text(host);
    data.port = port;
    data.proxy = Text(proxy);
    data.secure = secure;
    data.target = EscapeSpaces(UsesProxyForm(data) ? url : path);
    data.referer = referer.empty() ? UpToLastSlash(url) : Text(referer);
    return data;
}

std::optional<Text> BuildHttpRequest(const HttpRequestData& data, std::string_view extraLine) {
    Text text = "GET " + data.target + " HTTP/1.1\r\n";
    text += "Host: " + data.host + "\r\n";
    if (!UsesProxyForm(data)) {
        text += "Accept: */*\r\n";
        text += "Referer: " + data.referer + "\r\n";
        text += "User-Agent: " + Text(kUserAgent) + "\r\n";
        text += extraLine;
        text += "Pragma: no-cache\r\nCache-Control: no-cache\r\nConnection: close\r\n\r\n";
    } else {
        text += "User-Agent: " + Text(kUserAgent) + "\r\n";
        // A segment through a proxy needs its Range line too, or it could
        // never complete; the proxy form carries nothing else extra.
        if (extraLine.substr(0, 6) == "Range:") text += extraLine;
        text += "Proxy-Connection: Keep-Alive\r\n\r\n\r\n";
    }
    if (text.size() > kRequestLimit) return std::nullopt;
    return text;
}

Text RangeLine(long long offset) { return "Range: bytes=" + std::to_string(offset) + "-\r\n"; }

bool FollowRedirect(HttpRequestData& data, std::string_view location, const std::optional<Text>& setCookie) {
    Text cookieLine = data.cookieLine;
    if (setCookie) {
        if (setCookie->size() > 4086) return false;
        cookieLine = "Cookie: " + setCookie->substr(0, setCookie->find(';')) + "\r\n";
    }
    Text lower = Lowered(location.substr(0, 8));
    if (lower.substr(0, 6) == "ftp://") return false;
    bool toSecure = lower == "https://";
    if (toSecure || lower.substr(0, 7) == "http://") {
        // Once secure, always secure: a redirect to plain HTTP would hand the
        // download to anyone on the path.
        if (data.secure && !toSecure) return false;
        ParsedUrl url = ParseUrl(location);
        if (url.protocol != Protocol::Http || url.secure != toSecure || url.host.empty()) return false;
        data.host = url.host;
        data.port = url.port;
        data.secure = toSecure;
        data.target = EscapeSpaces(UsesProxyForm(data) ? location : std::string_view(url.path));
        data.referer = UpToLastSlash(location);
    } else {
        Text base = ThroughLastSlash(data.target);
        if (!UsesProxyForm(data))
            data.target = EscapeSpaces(base + Text(location));
        else
            data.target =
                EscapeSpaces(base.empty() ? SchemeOf(data) + data.host + "/" + Text(location) : base + Text(location));
        data.referer = UpToLastSlash(SchemeOf(data) + data.host + "/" + Text(location));
    }
    data.cookieLine = cookieLine;
    return true;
}

HostAndPort ServerOf(const HttpRequestData& data) {
    std::size_t colon = data.host.find(':');
    if (colon == Text::npos) return {data.host, data.port};
    return {data.host.substr(0, colon), PortAfterColon(data.host)};
}

HostAndPort ProxyOf(std::string_view proxy) {
    std::size_t colon = proxy.rfind(':');
    if (colon == std::string_view::npos) return {Text(proxy), 80};
    Text port(proxy.substr(colon));
    return {Text(proxy.substr(0, colon)), PortAfterColon(port)};
}

Text BuildConnectRequest(const HttpRequestData& data) {
    HostAndPort server = ServerOf(data);
    Text authority = server.name + ":" + std::to_string(server.port);
    return "CONNECT " + authority + " HTTP/1.1\r\nHost: " + authority + "\r\nUser-Agent: " + Text(kUserAgent) +
           "\r\n\r\n";
}
