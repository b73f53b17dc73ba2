#include "download/core/rename.h"

#include <gtest/gtest.h>

#include <set>

namespace {

TEST(NextFileName, Brackets) {
    struct Case {
        const char* name;
        std::optional<Text> next;
    } cases[] = {
        {"a.exe", "a(1).exe"},        {"a(1).exe", "a(2).exe"},       {"a(9).exe", "a(10).exe"},
        {"a(98).exe", "a(99).exe"},   {"a(99).exe", std::nullopt},    {"a.tar.gz", "a(1).tar.gz"},
        {"noext", "noext(1)"},        {"x(0).exe", "x(0).exe"},       {"x(ab).exe", "x(ab).exe"},
        {"x(123).exe", std::nullopt}, {"安装(3).exe", "安装(4).exe"}, {"a(1)b.exe", "a(1)b(1).exe"},
    };
    for (const auto& c : cases) EXPECT_EQ(NextFileName(c.name), c.next) << c.name;
}

TEST(AutoRenamePath, WalksToTheFirstFreeName) {
    std::set<Text> existing = {"C:\\d\\a.exe", "C:\\d\\a(1).exe"};
    auto exists = [&](const Text& path) { return existing.count(path) > 0; };
    RenameResult result = AutoRenamePath("C:\\d\\a.exe", exists);
    EXPECT_EQ(result.outcome, RenameResult::Renamed);
    EXPECT_EQ(result.path, "C:\\d\\a(2).exe");
    EXPECT_EQ(AutoRenamePath("C:\\d\\a(99).exe", exists).outcome, RenameResult::NoName);
}

TEST(AutoRenamePath, GivesUpAfter99Attempts) {
    auto always = [](const Text&) { return true; };
    EXPECT_EQ(AutoRenamePath("C:\\d\\x(0).exe", always).outcome, RenameResult::TooManyAttempts);
    int calls = 0;
    auto counting = [&](const Text&) { return ++calls < 1000; };
    EXPECT_EQ(AutoRenamePath("C:\\d\\x(0).exe", counting).outcome, RenameResult::TooManyAttempts);
    EXPECT_EQ(calls, 99);
}

TEST(AutoRenamePath, ANameThatWouldNotFitIsRefused) {
    Text folder = "C:\\" + Text(250, 'f');
    auto none = [](const Text&) { return false; };
    EXPECT_EQ(AutoRenamePath(folder + "\\abc.exe", none).outcome, RenameResult::NoName);
    EXPECT_EQ(AutoRenamePath("C:\\short\\abc.exe", none).outcome, RenameResult::Renamed);
}

}  // namespace
