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

Text Base64(std::string_view bytes) {
    static constexpr char kDigits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    Text out;
    for (std::size_t i = 0; i < bytes.size(); i += 3) {
        unsigned value = static_cast<unsigned char>(bytes[i]) << 16;
        if (i + 1 < bytes.size()) value |= static_cast<unsigned char>(bytes[i + 1]) << 8;
        if (i + 2 < bytes.size()) value |= static_cast<unsigned char>(bytes[i + 2]);
        out += kDigits[(value >> 18) & 63];
        out += kDigits[(value >> 12) & 63];
        out += i + 1 < bytes.size() ? kDigits[(value >> 6) & 63] : '=';
        out += i + 2 < bytes.size() ? kDigits[value & 63] : '=';
    }
    return out;
}

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
        text += ProxyAuthorizationLine(data.proxy);
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
    } else if (location.substr(0, 2) == "//") {
        // Another host with the current scheme.
        return FollowRedirect(data, Text(data.secure ? "https:" : "http:") + Text(location), setCookie);
    } else if (location.substr(0, 1) == "/") {
        // An absolute path replaces the path; the host stays.
        data.target = EscapeSpaces(UsesProxyForm(data) ? SchemeOf(data) + data.host + Text(location) : Text(location));
        data.referer = UpToLastSlash(SchemeOf(data) + data.host + Text(location));
    } else {
        // Relative to the folder of the current path (a query is no folder).
        Text base = ThroughLastSlash(std::string_view(data.target).substr(0, data.target.find('?')));
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

HostAndPort ServerOf(const HttpRequestData& data) { return SplitHostPort(data.host, data.port); }

Text ProxyShown(std::string_view proxy) {
    std::size_t at = proxy.rfind('@');
    return Text(at == std::string_view::npos ? proxy : proxy.substr(at + 1));
}

Text ProxyAuthorizationLine(std::string_view proxy) {
    std::size_t at = proxy.rfind('@');
    if (at == std::string_view::npos) return {};
    return "Proxy-Authorization: Basic " + Base64(proxy.substr(0, at)) + "\r\n";
}

Text ShownRequest(std::string_view request) {
    constexpr std::string_view kName = "\r\nProxy-Authorization: ";
    std::size_t at = request.find(kName);
    if (at == std::string_view::npos) return Text(request);
    std::size_t end = request.find("\r\n", at + kName.size());
    return Text(request.substr(0, at + kName.size())) + "Basic ******" +
           Text(end == std::string_view::npos ? std::string_view() : request.substr(end));
}

HostAndPort ProxyOf(std::string_view whole) {
    Text shown = ProxyShown(whole);
    std::string_view proxy = shown;
    if (!proxy.empty() && proxy.front() == '[') return SplitHostPort(proxy, 80);
    std::size_t colon = proxy.rfind(':');
    if (colon == std::string_view::npos) return {Text(proxy), 80};
    Text port(proxy.substr(colon));
    return {Text(proxy.substr(0, colon)), PortAfterColon(port)};
}

Text BuildConnectRequest(const HttpRequestData& data) {
    HostAndPort server = ServerOf(data);
    bool v6 = server.name.find(':') != Text::npos;
    Text authority = (v6 ? "[" + server.name + "]" : server.name) + ":" + std::to_string(server.port);
    return "CONNECT " + authority + " HTTP/1.1\r\nHost: " + authority + "\r\nUser-Agent: " + Text(kUserAgent) + "\r\n" +
           ProxyAuthorizationLine(data.proxy) + "\r\n";
}
