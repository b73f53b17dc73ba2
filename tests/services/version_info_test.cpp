#include "services/version_info.h"

#include <gtest/gtest.h>

#include "services/program.h"

namespace {

TEST(ReadVersionInfo, ReadsTheStringTableOfTheFirstTranslation) {
    FileVersionInfo info;
    ASSERT_TRUE(ReadVersionInfo(GetProgramDir() + "\\version_fixture.exe", info));
    EXPECT_EQ(info.fileVersion, "2.3.4.5");
    EXPECT_EQ(info.fileDescription, "Version fixture");
    EXPECT_EQ(info.companyName, "Tavrin test");
    EXPECT_EQ(info.productName, "Tavrin");
    EXPECT_EQ(info.productVersion, "2.3");
    EXPECT_EQ(info.comments, "for tests");
    EXPECT_EQ(info.internalName, "");  // not in the resource
    EXPECT_FALSE(info.languages.empty());
}

TEST(ReadVersionInfo, FailsForAFileWithoutResource) {
    FileVersionInfo info;
    info.fileVersion = "stale";
    EXPECT_FALSE(ReadVersionInfo(GetProgramDir() + "\\no_such_file.exe", info));
    EXPECT_EQ(info.fileVersion, "");
}

}  // namespace
