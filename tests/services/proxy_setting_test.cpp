#include "services/core/proxy_setting.h"

#include <gtest/gtest.h>

namespace {

TEST(ProxyForScheme, TheSchemesOwnEntryElseTheGeneralOne) {
    EXPECT_EQ(ProxyForScheme("proxy.corp:3128", "http"), "proxy.corp:3128");
    EXPECT_EQ(ProxyForScheme("http://proxy.corp:3128/", "https"), "proxy.corp:3128");
    const char* perScheme = "ftp=f:21;https=s:443;http=h:80";
    EXPECT_EQ(ProxyForScheme(perScheme, "http"), "h:80");
    EXPECT_EQ(ProxyForScheme(perScheme, "HTTPS"), "s:443");
    EXPECT_EQ(ProxyForScheme("https=s:443", "http"), "");  // none for this scheme
    EXPECT_EQ(ProxyForScheme("https=s:443;general:8080", "http"), "general:8080");
    EXPECT_EQ(ProxyForScheme("user:pa:ss@p:1", "http"), "user:pa:ss@p:1");  // credentials stay for the engine
    EXPECT_EQ(ProxyForScheme("a:1 b:2", "http"), "a:1");                    // a list: the first
    EXPECT_EQ(ProxyForScheme("DIRECT", "http"), "");
    EXPECT_EQ(ProxyForScheme("", "http"), "");
    EXPECT_EQ(ProxyForScheme(" ; ", "http"), "");
}

TEST(BypassesProxy, LocalNamesWildcardsAndCase) {
    const char* list = "<local>;*.Intranet.example;10.*; update.example";
    EXPECT_TRUE(BypassesProxy(list, "fileserver"));
    EXPECT_FALSE(BypassesProxy("*.other", "fileserver"));
    EXPECT_TRUE(BypassesProxy(list, "files.intranet.EXAMPLE"));
    EXPECT_FALSE(BypassesProxy(list, "intranet.example.evil"));
    EXPECT_TRUE(BypassesProxy(list, "10.1.2.3"));
    EXPECT_FALSE(BypassesProxy(list, "110.1.2.3"));
    EXPECT_TRUE(BypassesProxy(list, "update.example"));
    EXPECT_FALSE(BypassesProxy(list, "download.tavrin.invalid"));
    EXPECT_FALSE(BypassesProxy("", "anything"));
    EXPECT_FALSE(BypassesProxy("<local>", "::1"));  // an address, not a name without dots
}

TEST(SchemeAndHostOf, WhatTheChoiceNeeds) {
    SchemeAndHost plain = SchemeAndHostOf("HTTP://Update.example:8080/d/tavrin.exe?x=1");
    EXPECT_EQ(plain.scheme, "http");
    EXPECT_EQ(plain.host, "Update.example");
    EXPECT_EQ(SchemeAndHostOf("https://[::1]:8443/f").host, "::1");
    EXPECT_EQ(SchemeAndHostOf("ftp://u:p@h.example/f").host, "h.example");
    EXPECT_EQ(SchemeAndHostOf("no scheme").scheme, "");
}

}  // namespace
