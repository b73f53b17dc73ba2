#include "download/core/url.h"

#include <gtest/gtest.h>

namespace {

TEST(ParseUrl, SchemesHostsPortsAndPaths) {
    struct Case {
        const char* url;
        Protocol protocol;
        int port;
        const char* host;
        const char* path;
    } cases[] = {
        {"http://10.0.0.5/dir/f.exe", Protocol::Http, 80, "10.0.0.5", "/dir/f.exe"},
        {"HTTP://Example.COM/A.exe", Protocol::Http, 80, "Example.COM", "/A.exe"},
        {"http://10.0.0.5:8080/f", Protocol::Http, 8080, "10.0.0.5:8080", "/f"},
        {"https://example.com/a.exe", Protocol::Http, 443, "example.com", "/a.exe"},
        {"HTTPS://localhost:8443/a", Protocol::Http, 8443, "localhost:8443", "/a"},
        {"ftp://host/pub/f.zip", Protocol::Ftp, 21, "host", "/pub/f.zip"},
        {"ftp://u:p@host:2121/f", Protocol::Ftp, 2121, "u:p@host:2121", "/f"},
        {"ftp://u:p@host/f", Protocol::Ftp, 21, "u:p@host", "/f"},
        {"mms://media/s", Protocol::Mms, 1755, "media", "/s"},
        {"mmst://media/s", Protocol::Mms, 1755, "media", "/s"},
        {"rtsp://media/s", Protocol::Rtsp, 554, "media", "/s"},
    };
    for (const auto& c : cases) {
        ParsedUrl url = ParseUrl(c.url);
        EXPECT_EQ(url.protocol, c.protocol) << c.url;
        EXPECT_EQ(url.port, c.port) << c.url;
        EXPECT_EQ(url.host, c.host) << c.url;
        EXPECT_EQ(url.path, c.path) << c.url;
        EXPECT_EQ(url.secure,
                  std::string_view(c.url).substr(0, 5) == "https" || std::string_view(c.url).substr(0, 5) == "HTTPS")
            << c.url;
    }
}

TEST(ParseUrl, RefusesWhatItDoesNotKnow) {
    for (const char* url : {"", "http://", "http://host", "http:///path", "https://host", "gopher://h/x",
                            "hxxp://host/f", "http://host:0/f", "http://host:99999/f", "file:///c/x"})
        EXPECT_EQ(ParseUrl(url).protocol, Protocol::None) << url;
    // The scheme is told by a sum: another spelling with the same first letter
    // and sum passes, as it always has.
    EXPECT_EQ(ParseUrl("hptt://host/f").protocol, Protocol::Http);
}

TEST(ParseUrl, IPv6LiteralsInBrackets) {
    ParsedUrl plain = ParseUrl("http://[::1]/f.exe");
    EXPECT_EQ(plain.protocol, Protocol::Http);
    EXPECT_EQ(plain.host, "[::1]");
    EXPECT_EQ(plain.port, 80);
    ParsedUrl ported = ParseUrl("https://[fe80::1:2]:8443/d/f.exe");
    EXPECT_EQ(ported.protocol, Protocol::Http);
    EXPECT_EQ(ported.port, 8443);
    EXPECT_EQ(ported.path, "/d/f.exe");
    for (const char* url : {"http://[::1/f", "http://[::1]:/f", "http://[::1]x/f", "http://[::1]:70000/f"})
        EXPECT_EQ(ParseUrl(url).protocol, Protocol::None) << url;

    HostAndPort v6 = SplitHostPort("[::1]:8080", 80);
    EXPECT_EQ(v6.name, "::1");
    EXPECT_EQ(v6.port, 8080);
    EXPECT_EQ(SplitHostPort("[::1]", 80).port, 80);
    EXPECT_EQ(SplitHostPort("h:81", 80).name, "h");
    EXPECT_EQ(SplitHostPort("h", 21).port, 21);
}

TEST(IsDottedIPv4, FourPartsUpTo255) {
    for (const char* yes : {"10.0.0.5", "255.255.255.255", "0.0.0.0", "127.000.0.1"})
        EXPECT_TRUE(IsDottedIPv4(yes)) << yes;
    for (const char* no :
         {"", "1.2.3", "1.2.3.4.5", "256.1.1.1", "1..2.3", "a.b.c.d", "1.2.3.4:80", "1234.1.1.1", "1.2.3."})
        EXPECT_FALSE(IsDottedIPv4(no)) << no;
}

TEST(DecodeUrlText, EscapesPlusAndInvalidEscapes) {
    EXPECT_EQ(DecodeUrlText("/a%20b+c.exe"), "/a b c.exe");
    EXPECT_EQ(DecodeUrlText("%E4%B8%AD"), "\xE4\xB8\xAD");
    EXPECT_EQ(DecodeUrlText("100%.exe"), "100%.exe");  // kept literally
    EXPECT_EQ(DecodeUrlText("a%4"), "a%4");
    EXPECT_EQ(DecodeUrlText("a%zz"), "a%zz");
    EXPECT_EQ(DecodeUrlText(Text(2000, 'x')).size(), 1023u);
}

TEST(UrlHelpers, SpacesLineBreaksAndLastPart) {
    EXPECT_EQ(EscapeSpaces("/a b c"), "/a%20b%20c");
    EXPECT_EQ(WithoutLineBreaks("http://h/\r\nf\n"), "http://h/f");
    EXPECT_EQ(LastPathPart("/dir/f.exe"), "f.exe");
    EXPECT_EQ(LastPathPart("f.exe"), "f.exe");
    EXPECT_EQ(PortAfterColon("h:8080"), 8080);
    EXPECT_EQ(PortAfterColon("h"), 0);
}

}  // namespace
