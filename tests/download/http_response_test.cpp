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
    ASSERT_TRUE(partial.range.has_value());
    EXPECT_EQ(partial.range->first, 0);
    EXPECT_EQ(partial.range->last, 4);
    EXPECT_EQ(partial.range->total, 9);

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

TEST(ParseHttpResponse, NamesInAnyCaseAndOnlyAsWholeNamesAtALineStart) {
    // What HAProxy sends on HTTP/1.1 by default.
    HttpResponse lower = ParseHttpResponse(
        "HTTP/1.1 200 OK\r\ncontent-length: 1234\r\nset-cookie: s=2; path=/\r\n"
        "content-disposition: attachment; filename=low.exe\r\n\r\n");
    EXPECT_EQ(lower.contentLength, 1234);
    EXPECT_EQ(lower.setCookie, "s=2; path=/");
    EXPECT_EQ(lower.fileName, "low.exe");
    EXPECT_EQ(ParseHttpResponse("HTTP/1.1 200 OK\r\nCONTENT-LENGTH:77\r\n\r\n").contentLength, 77);

    HttpResponse moved = ParseHttpResponse(
        "HTTP/1.1 302 Found\r\nContent-Location: /wrong\r\nX-Location: /wrong\r\nlocation: /right\r\n\r\n");
    EXPECT_EQ(moved.location, "/right");
    EXPECT_FALSE(ParseHttpResponse("HTTP/1.1 302 Found\r\nContent-Location: /wrong\r\n\r\n").location.has_value());
    // A name inside another header's value is no header either.
    EXPECT_EQ(ParseHttpResponse("HTTP/1.1 200 OK\r\nX-Note: a\r\nContent-Length: 5\r\n\r\n").contentLength, 5);
    EXPECT_EQ(ParseHttpResponse("HTTP/1.1 200 OK\r\nX-Note: Content-Length: 9\r\n\r\n").contentLength, -1);

    for (int status : {301, 302, 303, 307, 308})
        EXPECT_EQ(ParseHttpResponse("HTTP/1.1 " + std::to_string(status) + " x\r\nLocation: /n\r\n\r\n").location, "/n")
            << status;
}

TEST(AnswersRange, OnlyThe206OfTheRangeAskedForOfThisFile) {
    auto answer = [](std::string_view head) { return ParseHttpResponse(Text(head) + "\r\n"); };
    HttpResponse right = answer("HTTP/1.1 206 P\r\ncontent-range: bytes 100-999/1000\r\n");
    EXPECT_TRUE(AnswersRange(right, 100, 1000));
    EXPECT_FALSE(AnswersRange(right, 0, 1000));    // another start
    EXPECT_FALSE(AnswersRange(right, 100, 2000));  // another file
    EXPECT_FALSE(AnswersRange(answer("HTTP/1.1 200 OK\r\nContent-Length: 1000\r\n"), 100, 1000));
    EXPECT_FALSE(AnswersRange(answer("HTTP/1.1 206 P\r\nContent-Range: bytes 100-999/*\r\n"), 100, 1000));
    EXPECT_FALSE(AnswersRange(answer("HTTP/1.1 206 P\r\nContent-Length: 900\r\n"), 100, 1000));
    EXPECT_TRUE(AnswersRange(answer("HTTP/1.1 206 P\r\nContent-Range: bytes 100-199/1000\r\n"), 100, 1000));
}

TEST(ParseContentRange, StrictForm) {
    EXPECT_TRUE(ParseContentRange("bytes 0-0/1").has_value());
    EXPECT_TRUE(ParseContentRange("Bytes 5-9/*").has_value());
    for (const char* bad : {"", "bytes", "bytes 5-4/9", "bytes 0-9/9", "bytes -1-4/9", "items 0-4/9", "bytes 0-4/9x",
                            "bytes */9", "bytes 0-/9", "0-4/9"})
        EXPECT_FALSE(ParseContentRange(bad).has_value()) << bad;
}

TEST(DispositionFileName, QuotedOrRest) {
    EXPECT_EQ(DispositionFileName("attachment; filename=\"a b.exe\"; x"), "a b.exe");
    EXPECT_EQ(DispositionFileName("attachment; filename=plain.exe"), "plain.exe");
    EXPECT_EQ(DispositionFileName("attachment; filename=\"unclosed"), "\"unclosed");
    EXPECT_FALSE(DispositionFileName("inline").has_value());
}

}  // namespace
