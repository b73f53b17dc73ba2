#include "frame/core/fatal.h"

#include <gtest/gtest.h>

namespace {

TEST(FatalText, LayoutOfTheErrorBox) {
    EXPECT_EQ(FormatFatalText("分配 12 字节内存失败!", 0, FormatFatalDetail(0, 0)),
              "运行时出错!\r\n\r\n错误信息：分配 12 字节内存失败!\r\n\r\n0, 0\r\n");
    EXPECT_EQ(FormatFatalText("数组成员引用下标超出定义范围", 1, FormatFatalDetail(17, -3)),
              "运行时出错!\r\n\r\n错误代码：1\r\n\r\n错误信息：数组成员引用下标超出定义范围\r\n\r\n17, -3\r\n");
    EXPECT_EQ(FormatFatalText("", 5, ""), "运行时出错!\r\n\r\n错误代码：5\r\n");
}

}  // namespace
