#include "services/ini.h"

#include <gtest/gtest.h>

#include "services/core/convert.h"
#include "services/files.h"
#include "tests/support/temp_folder.h"

namespace {

class ReadIniValueTest : public ::testing::Test {
protected:
    void Write(std::string_view content) { ASSERT_TRUE(WriteBytesToFile(file, {ToBytes(content)})); }
    TempFolder folder;
    Text file = folder / "up.ini";
};

TEST_F(ReadIniValueTest, ReadsAChineseSectionAndKey) {
    Write("[其他]\r\n下载地址=wrong\r\n[更新信息]\r\n下载地址=http://127.0.0.1:8080/tavrin.exe\r\n");
    EXPECT_EQ(ReadIniValue(file, "更新信息", "下载地址"), "http://127.0.0.1:8080/tavrin.exe");
    EXPECT_EQ(ReadIniValue(file, "  更新信息", "\t下载地址"), "http://127.0.0.1:8080/tavrin.exe");
    EXPECT_EQ(ReadIniValue(file, "更新信息", "没有"), "");
    EXPECT_EQ(ReadIniValue(file, "更新信息", "没有", "默认"), "默认");
}

TEST_F(ReadIniValueTest, AChineseValueComesBackAsItsOwnBytes) {
    Write("[更新信息]\r\n说明=端口映射客户端\r\n");
    EXPECT_EQ(ReadIniValue(file, "更新信息", "说明"), "端口映射客户端");
}

TEST_F(ReadIniValueTest, EmptyArgumentsGiveEmptyEvenWithADefault) {
    Write("[更新信息]\r\n下载地址=x\r\n");
    EXPECT_EQ(ReadIniValue(file, "", "下载地址", "默认"), "");
    EXPECT_EQ(ReadIniValue(file, "   ", "下载地址", "默认"), "");
    EXPECT_EQ(ReadIniValue(file, "更新信息", "", "默认"), "");
    EXPECT_EQ(ReadIniValue("", "更新信息", "下载地址", "默认"), "");
}

TEST_F(ReadIniValueTest, CutsLongValuesAt10239Bytes) {
    Text longValue(12000, 'v');
    Write("[s]\r\nk=" + longValue + "\r\n");
    Text value = ReadIniValue(file, "s", "k");
    EXPECT_EQ(value.size(), 10239u);
    EXPECT_EQ(value, longValue.substr(0, 10239));
}

TEST_F(ReadIniValueTest, AMissingFileGivesTheDefault) {
    EXPECT_EQ(ReadIniValue(folder / "none.ini", "s", "k", "d"), "d");
}

}  // namespace
