#include "download/core/http_response.h"

#include <gtest/gtest.h>

namespace {

TEST(FindHeaderBlock, FromTheStatusLineThroughTheEmptyLine) {
    EXPECT_FALSE(FindHeaderBlock("HTTP/1.1 200 OK\r\nA: b\r\n").has_value());
    EXPECT_FALSE(FindHeaderBlock("garbage\r\n\r\n").has_value());
    auto block = FindHeaderBlock("noise HTTP/1.0 200 OK\r\n\r\nBODY");
    ASSERT_TRUE(block.has_value());
    EXPECT_EQ(block->start, 6u);
    EXPECT_EQ(block->end, 25u);
    // An empty line before the status line does not end the header.
    auto late = FindHeaderBlock("\r\n\r\nHTTP/1.1 204 x\r\n\r\n");
    ASSERT_TRUE(late.has_value());
    EXPECT_EQ(late->start, 4u);
}

TEST(ParseHttpResponse, ByStatus) {
    HttpResponse ok = ParseHttpResponse(
        "HTTP/1.1 200 OK\r\nContent-length: 100000\r\nSet-Cookie: s=1\r\n"
        "Content-Disposition: attachment; filename=\"名字.exe\"\r\n\r\n");
    EXPECT_EQ(ok.status, 200);
    EXPECT_EQ(ok.contentLength, 100000);
    EXPECT_EQ(ok.setCookie, "s=1");
    EXPECT_EQ(ok.fileName, "名字.exe");

    HttpResponse none = ParseHttpResponse("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n");
    EXPECT_EQ(none.contentLength, -1);

    HttpResponse partial =
        ParseHttpResponse("HTTP/1.1 206 Partial\r\nContent-Length: 5\r\nContent-Range: bytes 0-4/9\r\n\r\n");
    EXPECT_EQ(partial.status, 206);
    EXPECT_EQ(partial.contentLength, -1);

    HttpResponse moved = ParseHttpResponse("HTTP/1.0 302 Found\r\nLocation: /x/g.exe\r\n\r\n");
    EXPECT_EQ(moved.status, 302);
    EXPECT_EQ(moved.location, "/x/g.exe");

    HttpResponse other = ParseHttpResponse("HTTP/1.1 404 Not Found\r\nLocation: /ignored\r\n\r\n");
    EXPECT_EQ(other.status, 404);
    EXPECT_FALSE(other.location.has_value());

    HttpResponse huge = ParseHttpResponse("HTTP/1.1 200 OK\r\nContent-Length: 2147483648\r\n\r\n");
    EXPECT_EQ(huge.contentLength, 2147483648LL);
    EXPECT_EQ(ParseHttpResponse("HTTP/1.1 200 OK\r\nContent-Length: -5\r\n\r\n").contentLength, -1);
    EXPECT_EQ(ParseHttpResponse("HTTP/1.1").status, 0);
}

TEST(DispositionFileName, QuotedOrRest) {
    EXPECT_EQ(DispositionFileName("attachment; filename=\"a b.exe\"; x"), "a b.exe");
    EXPECT_EQ(DispositionFileName("attachment; filename=plain.exe"), "plain.exe");
    EXPECT_EQ(DispositionFileName("attachment; filename=\"unclosed"), "\"unclosed");
    EXPECT_FALSE(DispositionFileName("inline").has_value());
}

}  // namespace
