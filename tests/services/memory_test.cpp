#include "services/memory.h"

#include <gtest/gtest.h>

#include <cstring>
#include <new>

#include "tests/support/fatal_capture.h"

namespace {

TEST(Memory, ResizeKeepsTheContents) {
    auto* block = static_cast<char*>(Allocate(4));
    std::memcpy(block, "abc", 4);
    block = static_cast<char*>(Resize(block, 4096));
    EXPECT_STREQ(block, "abc");
    block = static_cast<char*>(Resize(block, 2));
    EXPECT_EQ(std::memcmp(block, "ab", 2), 0);
    Free(block);
    Free(nullptr);
    void* fresh = Resize(nullptr, 8);
    EXPECT_NE(fresh, nullptr);
    Free(fresh);
}

TEST(Memory, ExhaustionIsFatalWithTheRequestedSize) {
    volatile std::size_t huge = 0x7FFFFFF0;
    EXPECT_FATAL(Allocate(huge), "分配 2147483632 字节内存失败!");
    auto* block = Allocate(16);
    EXPECT_FATAL(Resize(block, huge), "分配 2147483632 字节内存失败!");
    Free(block);
}

TEST(Memory, CppAllocationsShareTheFatalReport) {
    volatile std::size_t huge = 0x7FFFFF00;
    EXPECT_FATAL(::operator new(huge), "分配 2147483392 字节内存失败!");
    EXPECT_EQ(::operator new(huge, std::nothrow), nullptr);
}

}  // namespace
