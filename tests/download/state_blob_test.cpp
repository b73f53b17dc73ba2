#include "download/core/state_blob.h"

#include <gtest/gtest.h>

#include <cstring>

#include "download/core/status_text.h"

namespace {

std::uint32_t Word(const Bytes& blob, std::size_t at) {
    std::uint32_t value;
    std::memcpy(&value, blob.data() + at, 4);
    return value;
}

TEST(Crc16Arc, CheckValue) {
    const std::string check = "123456789";
    EXPECT_EQ(Crc16Arc(std::span(reinterpret_cast<const std::uint8_t*>(check.data()), check.size())), 0xBB3D);
    EXPECT_EQ(Crc16Arc({}), 0);
}

TEST(TaskStateBlob, Layout) {
    SegmentTable table;
    table.Create(100000, 3);
    table[0].written = 500;
    TaskStateTexts texts;
    texts.host = "10.0.0.5";
    texts.target = "/f.exe";
    texts.userAgent = "UA";
    Bytes blob = BuildTaskStateBlob(table, texts, 1, "10.0.0.5", 80, 100000);
    const std::size_t p = 16 + 28 * 10;
    EXPECT_EQ(Word(blob, 0), 3u);
    EXPECT_EQ(Word(blob, 4), 10u);
    EXPECT_EQ(Word(blob, 8), 100000u);
    EXPECT_EQ(Word(blob, 16 + 28 * 1 + 12), 33333u);  // start of segment 1
    EXPECT_EQ(Word(blob, 16 + 20), 500u);             // written of segment 0
    EXPECT_EQ(Word(blob, p + 28), 1u);
    EXPECT_STREQ(reinterpret_cast<const char*>(blob.data() + p + 32), "10.0.0.5");
    EXPECT_EQ(Word(blob, p + 48), 80u);
    EXPECT_EQ(Word(blob, p + 104), 100000u);
    // Texts follow in the order host, target, (referer absent), user agent.
    EXPECT_EQ(Word(blob, p + 8), p + 108);  // host
    EXPECT_EQ(Word(blob, p + 4), p + 108 + 9);
    EXPECT_EQ(Word(blob, p + 12), 0u);  // no referer
    EXPECT_EQ(Word(blob, p + 16), p + 108 + 9 + 7);
    EXPECT_EQ(blob.size(), p + 108 + 9 + 7 + 3 + 2);
    std::uint16_t crc = Crc16Arc(std::span(blob.data(), blob.size() - 2));
    EXPECT_EQ(blob[blob.size() - 2], crc & 0xFF);
    EXPECT_EQ(blob[blob.size() - 1], crc >> 8);
}

// The installer reads the blob at TaskFinished: how far the file came, and the
// size the segments were made for when the file itself could not be made.
TEST(TaskStateBlob, ProgressReadBack) {
    SegmentTable table;
    table.Create(100000, 2);
    TaskStateTexts texts;
    BlobProgress none = ReadBlobProgress(BuildTaskStateBlob(table, texts, 1, "1.2.3.4", 80, 100000));
    EXPECT_EQ(none.fileSize, 100000);
    EXPECT_EQ(none.written, 0);
    EXPECT_FALSE(none.complete);
    table[0].written = table[0].length;
    table[1].written = table[1].length;
    BlobProgress whole = ReadBlobProgress(BuildTaskStateBlob(table, texts, 1, "1.2.3.4", 80, 100000));
    EXPECT_TRUE(whole.complete);
    EXPECT_EQ(whole.written, 100000);
    EXPECT_EQ(ReadBlobProgress(Bytes(8, 0)).fileSize, 0);  // too short to say
}

TEST(TaskStateBlob, GrowsBeyond2048Bytes) {
    SegmentTable table;
    table.Create(10000000, 100);
    TaskStateTexts texts;
    texts.target = Text(1000, 't');
    Bytes blob = BuildTaskStateBlob(table, texts, 1, "1.2.3.4", 80, 10000000);
    EXPECT_GT(blob.size(), 2048u);
    EXPECT_EQ(Word(blob, 4), 100u);
}

TEST(StatusText, TimeStamps) {
    EXPECT_EQ(MessageTimeStamp(2026, 12, 8, 16, 28, 30), "2026年12月8日16时28分30秒");
    EXPECT_EQ(MessageTimeStamp(2026, 1, 2, 3, 4, 0), "2026年1月2日3时4分");
    EXPECT_EQ(MessageTimeStamp(2026, 1, 2, 3, 0, 0), "2026年1月2日3时");
    EXPECT_EQ(MessageTimeStamp(2026, 1, 2, 0, 0, 0), "2026年1月2日");
}

TEST(StatusText, SocketErrors) {
    EXPECT_EQ(SocketErrorText(-10), "接收数据超时");
    EXPECT_EQ(SocketErrorText(-22), "有错误发生");
    EXPECT_EQ(SocketErrorText(-10054), "远程主机强迫关闭了一个现有的连接。");
    EXPECT_EQ(SocketErrorText(-10056), "未知错误");  // known code without a text of its own
    EXPECT_EQ(SocketErrorText(-12345), "未知错误");
    EXPECT_EQ(SocketErrorCode(10054), -10054);
    EXPECT_EQ(SocketErrorCode(10061), -1);
    // A receive that fails with an error of no name of its own is a receive
    // error, never something to read past.
    for (int unnamed : {10051, 10055, 10061, 10065, 12345}) EXPECT_EQ(ReceiveErrorCode(unnamed), -8) << unnamed;
    EXPECT_EQ(ReceiveErrorCode(10054), -10054);
}

}  // namespace
