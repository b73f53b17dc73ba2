#include "services/memory.h"

#include <gtest/gtest.h>

#include <cstring>
#include <limits>
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

// Requests just under half the address space fail on either pointer size; the
// fatal text carries the whole size (the 64-bit ones do not fit in an int).
constexpr bool k64Bit = sizeof(std::size_t) == 8;
constexpr std::size_t kHugeBlock = std::numeric_limits<std::size_t>::max() / 2 - 15;
constexpr std::size_t kHugeObject = std::numeric_limits<std::size_t>::max() / 2 - 255;
const char* const kHugeBlockText = k64Bit ? "分配 9223372036854775792 字节内存失败!" : "分配 2147483632 字节内存失败!";
const char* const kHugeObjectText = k64Bit ? "分配 9223372036854775552 字节内存失败!" : "分配 2147483392 字节内存失败!";

TEST(Memory, ExhaustionIsFatalWithTheRequestedSize) {
    volatile std::size_t huge = kHugeBlock;
    EXPECT_FATAL(Allocate(huge), kHugeBlockText);
    auto* block = Allocate(16);
    EXPECT_FATAL(Resize(block, huge), kHugeBlockText);
    Free(block);
}

TEST(Memory, CppAllocationsShareTheFatalReport) {
    volatile std::size_t huge = kHugeObject;
    EXPECT_FATAL(::operator new(huge), kHugeObjectText);
    EXPECT_EQ(::operator new(huge, std::nothrow), nullptr);
}

}  // namespace
