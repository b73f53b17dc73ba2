#pragma once
// Which proxy the system's internet settings name for a download, read from
// the texts Windows keeps: a proxy list ("host:port",
// "http=host:port;https=host:port", or what a PAC script answered) and a
// bypass list ("<local>;*.example.com;10.*").
#include <string_view>

#include "services/core/values.h"

// The proxy for a URL of `scheme` ("http" or "https"): the first entry for
// that scheme, else the first for every scheme; empty for a list without
// one, or one that says "DIRECT" first.
Text ProxyForScheme(std::string_view list, std::string_view scheme);

// Whether `host` (without a port) goes without the proxy: "<local>" names
// every host without a dot, "*" stands for any run of characters, and case
// does not count.
bool BypassesProxy(std::string_view bypassList, std::string_view host);

// The scheme ("http", in lower case) and host (without port, user or
// brackets) of an address, as the choice of a proxy needs them.
struct SchemeAndHost {
    Text scheme;
    Text host;
};
SchemeAndHost SchemeAndHostOf(std::string_view url);
