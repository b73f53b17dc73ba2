#include "services/core/convert.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "tests/support/fatal_capture.h"

namespace {

TEST(ToText, Numbers) {
    EXPECT_EQ(ToText(std::int32_t{-42}), "-42");
    EXPECT_EQ(ToText(std::int64_t{1} << 40), "1099511627776");
    EXPECT_EQ(ToText(std::uint8_t{200}), "200");
    EXPECT_EQ(ToText(std::int16_t{-7}), "-7");
    EXPECT_EQ(ToText(1.0f / 3.0f), "0.333333");
    EXPECT_EQ(ToText(1.0 / 3.0), "0.3333333333333");
    EXPECT_EQ(ToText(2.5), "2.5");
    EXPECT_EQ(ToText(1e20), "1e+20");
    EXPECT_EQ(ToText(123456789012.0), "123456789012");
    EXPECT_EQ(ToText(1e21f), "1e+21");
    EXPECT_EQ(ToText(true), "真");
    EXPECT_EQ(ToText(false), "假");
}

TEST(ToText, BytesEndAtTheFirstZero) {
    EXPECT_EQ(ToText(Bytes{'c', 'a', 't', 0, 'd', 'o', 'g'}), "cat");
    EXPECT_EQ(ToText(Bytes{'c', 'a', 't'}), "cat");
    EXPECT_EQ(ToText(Bytes{}), "");
    EXPECT_EQ(ToText(Bytes{0, 'x'}), "");
}

TEST(ToText, DateTimes) {
    EXPECT_EQ(ToText(DateTime{0}), "1899年12月30日0时0分0秒");
    EXPECT_EQ(ToText(DateTime{2.5}), "1900年1月1日12时0分0秒");
    EXPECT_EQ(ToText(DateTime{-1.25}), "1899年12月29日6时0分0秒");
    EXPECT_EQ(ToText(DateTime{45000.75}), "2023年3月15日18时0分0秒");
    EXPECT_EQ(ToText(DateTime{1e9}), "9999年12月31日0时0分0秒");  // clamped to the last day
}

TEST(ToInteger, ReadsTheLeadingNumberAfterFoldingFullWidth) {
    struct Case {
        Text text;
        std::int32_t expected;
    } cases[] = {
        {"123", 123},
        {"  -45abc", -45},
        {"+7", 7},
        {"abc", 0},
        {"", 0},
        {"１２３", 123},  // full-width digits
        {"－１２", -12},  // full-width minus
        {"　４２", 42},   // ideographic space
        {"1２3", 123},
        {"12中3", 12},
        {"99999999999", 2147483647},
        {"-99999999999", -2147483647 - 1},
        {"\t\n 8", 8},
    };
    for (const auto& c : cases) EXPECT_EQ(ToInteger(c.text), c.expected) << c.text;
}

TEST(ToInteger, OtherKinds) {
    EXPECT_EQ(ToInteger(2.9), 2);
    EXPECT_EQ(ToInteger(-2.9), -2);
    EXPECT_EQ(ToInteger(-2.9f), -2);
    EXPECT_EQ(ToInteger(3e9), std::numeric_limits<std::int32_t>::min());
    EXPECT_EQ(ToInteger(std::nan("")), std::numeric_limits<std::int32_t>::min());
    EXPECT_EQ(ToInteger(true), 1);
    EXPECT_EQ(ToInteger(false), 0);
    EXPECT_EQ(ToInteger(SubroutineAddress{0x401000}), 0x401000);
}

TEST(FoldFullWidth, LeavesOtherCharactersAlone) {
    EXPECT_EQ(FoldFullWidth("Ａｂ中"), "Ab中");
    EXPECT_EQ(FoldFullWidth("\xA3"), "\xA3");  // a lone lead byte at the end
}

TEST(ToBytes, MachineBytesLittleEndian) {
    EXPECT_EQ(ToBytes(std::int32_t{0x01020304}), (Bytes{4, 3, 2, 1}));
    EXPECT_EQ(ToBytes(std::int16_t{-2}), (Bytes{0xFE, 0xFF}));
    EXPECT_EQ(ToBytes(std::uint8_t{9}), (Bytes{9}));
    EXPECT_EQ(ToBytes(1.0).size(), 8u);
    EXPECT_EQ(ToBytes(true), (Bytes{1, 0, 0, 0}));
    EXPECT_EQ(ToBytes(std::string_view("ab")), (Bytes{'a', 'b'}));
    const std::int16_t values[] = {1, 2};
    EXPECT_EQ(ToBytes(std::span<const std::int16_t>(values)), (Bytes{1, 0, 2, 0}));
}

TEST(BytesToValue, ReadsKindsAndAdvancesThePosition) {
    Bytes data = ToBytes(std::int32_t{1234});
    Bytes tail = ToBytes(std::int16_t{-3});
    data.insert(data.end(), tail.begin(), tail.end());
    data.insert(data.end(), {'h', 'i', 0, 'x'});

    int position = 1;
    EXPECT_EQ(std::get<std::int32_t>(BytesToValue(data, 3, &position)), 1234);
    EXPECT_EQ(position, 5);
    EXPECT_EQ(std::get<std::int16_t>(BytesToValue(data, 2, &position)), -3);
    EXPECT_EQ(position, 7);
    EXPECT_EQ(std::get<Text>(BytesToValue(data, 10, &position)), "hi");
    EXPECT_EQ(position, 10);
    EXPECT_EQ(std::get<Text>(BytesToValue(data, 10, &position)), "x");  // ends with the array
    EXPECT_EQ(position, -1);
    EXPECT_EQ(std::get<std::int32_t>(BytesToValue(data, 3, &position)), 0);  // past the end: zeros
    EXPECT_EQ(position, -1);
}

TEST(BytesToValue, PadsShortValuesWithZeros) {
    int position = 2;
    EXPECT_EQ(std::get<std::int32_t>(BytesToValue(Bytes{1, 2, 3}, 3, &position)), 0x0302);
    EXPECT_EQ(position, -1);
    EXPECT_EQ(std::get<std::uint8_t>(BytesToValue(Bytes{7}, 1)), 7);
    EXPECT_EQ(std::get<bool>(BytesToValue(Bytes{0, 1}, 7)), true);
    EXPECT_EQ(std::get<double>(BytesToValue(ToBytes(2.5), 6)), 2.5);
    EXPECT_EQ(std::get<float>(BytesToValue(ToBytes(0.5f), 5)), 0.5f);
    EXPECT_EQ(std::get<std::int64_t>(BytesToValue(ToBytes(std::int64_t{-1}), 4)), -1);
    EXPECT_EQ(std::get<DateTime>(BytesToValue(ToBytes(1e12), 8)).days, 2958465);
    EXPECT_EQ(std::get<SubroutineAddress>(BytesToValue(Bytes{0, 0x10, 0x40, 0}, 9)).address, 0x401000u);
    EXPECT_EQ(std::get<Text>(BytesToValue(Bytes{}, 10)), "");
}

TEST(BytesToValue, AnUnknownKindIsFatal) {
    EXPECT_FATAL(BytesToValue(Bytes{1}, 0), "“欲取出数据的类型”参数值无效");
    EXPECT_FATAL(BytesToValue(Bytes{1}, 11), "“欲取出数据的类型”参数值无效");
}

TEST(ByteArrays, SlicesAndCopies) {
    Bytes data{1, 2, 3};
    EXPECT_EQ(LeftBytes(data, 2), (Bytes{1, 2}));
    EXPECT_EQ(LeftBytes(data, 9), data);
    EXPECT_EQ(LeftBytes(data, -1), Bytes{});
    EXPECT_EQ(ZeroBytes(3), (Bytes{0, 0, 0}));
    EXPECT_EQ(ZeroBytes(0), Bytes{});
    const char memory[] = "xyz";
    EXPECT_EQ(MemoryToBytes(memory, 2), (Bytes{'x', 'y'}));
    EXPECT_EQ(MemoryToBytes(nullptr, 2), Bytes{});
    EXPECT_EQ(ByteLength(data), 3);
    EXPECT_EQ(ByteLength(Bytes{}), 0);
}

}  // namespace
