#include "services/registry.h"

#include <windows.h>

#include <gtest/gtest.h>

#include "services/codepage.h"

namespace {

const wchar_t* const kTestKey = L"SOFTWARE\\TavrinServicesTest";

class WriteRegistryValueTest : public ::testing::Test {
protected:
    void SetUp() override { RegDeleteTreeW(HKEY_LOCAL_MACHINE, kTestKey); }
    void TearDown() override { RegDeleteTreeW(HKEY_LOCAL_MACHINE, kTestKey); }

    // Type and raw bytes of a value under the test key, read back with the wide API.
    static bool Query(const std::wstring& subKey, const std::wstring& name, DWORD& type, std::vector<BYTE>& data) {
        HKEY key;
        if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, (std::wstring(kTestKey) + subKey).c_str(), 0, KEY_READ, &key))
            return false;
        DWORD size = 0;
        LSTATUS status = RegQueryValueExW(key, name.c_str(), nullptr, &type, nullptr, &size);
        data.resize(size);
        if (status == ERROR_SUCCESS && size)
            status = RegQueryValueExW(key, name.c_str(), nullptr, &type, data.data(), &size);
        RegCloseKey(key);
        return status == ERROR_SUCCESS;
    }
};

TEST_F(WriteRegistryValueTest, CreatesMissingLevelsAndWritesAText) {
    ASSERT_TRUE(WriteRegistryValue(4, "SOFTWARE\\TavrinServicesTest\\一\\二\\显示名称", Text("Tavrin 端口映射")));
    DWORD type = 0;
    std::vector<BYTE> data;
    ASSERT_TRUE(Query(L"\\\u4e00\\\u4e8c", L"\u663e\u793a\u540d\u79f0", type, data));
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    std::wstring expected = ToWideText("Tavrin 端口映射");
    ASSERT_EQ(data.size(), (expected.size() + 1) * sizeof(wchar_t));
    EXPECT_EQ(std::wstring(reinterpret_cast<const wchar_t*>(data.data())), expected);
}

TEST_F(WriteRegistryValueTest, AOneLetterTextIsStoredWithItsEndingZero) {
    ASSERT_TRUE(WriteRegistryValue(4, "SOFTWARE\\TavrinServicesTest\\NoModify", Text("1")));
    HKEY key;
    ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, kTestKey, 0, KEY_READ, &key), ERROR_SUCCESS);
    char value[8] = {};
    DWORD size = sizeof value, type = 0;
    // The ANSI view of the value: one letter and its 0 byte.
    EXPECT_EQ(RegQueryValueExA(key, "NoModify", nullptr, &type, reinterpret_cast<BYTE*>(value), &size), ERROR_SUCCESS);
    RegCloseKey(key);
    EXPECT_EQ(size, 2u);
    EXPECT_STREQ(value, "1");
}

TEST_F(WriteRegistryValueTest, WritesDwordAndBinary) {
    ASSERT_TRUE(WriteRegistryValue(4, "SOFTWARE\\TavrinServicesTest\\EstimatedSize", std::int32_t{-2}));
    ASSERT_TRUE(WriteRegistryValue(4, "SOFTWARE\\TavrinServicesTest\\Blob", Bytes{1, 0, 255}));
    DWORD type = 0;
    std::vector<BYTE> data;
    ASSERT_TRUE(Query(L"", L"EstimatedSize", type, data));
    EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(data, (std::vector<BYTE>{0xFE, 0xFF, 0xFF, 0xFF}));
    ASSERT_TRUE(Query(L"", L"Blob", type, data));
    EXPECT_EQ(type, static_cast<DWORD>(REG_BINARY));
    EXPECT_EQ(data, (std::vector<BYTE>{1, 0, 255}));
}

TEST_F(WriteRegistryValueTest, OverwritesAnExistingValue) {
    ASSERT_TRUE(WriteRegistryValue(4, "SOFTWARE\\TavrinServicesTest\\v", Text("old")));
    ASSERT_TRUE(WriteRegistryValue(4, "SOFTWARE\\TavrinServicesTest\\v", std::int32_t{7}));
    DWORD type = 0;
    std::vector<BYTE> data;
    ASSERT_TRUE(Query(L"", L"v", type, data));
    EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
}

TEST(WriteRegistryValue, WithoutBackslashWritesToTheRootAndOtherRootsMeanCurrentUser) {
    ASSERT_TRUE(WriteRegistryValue(99, "TavrinRootValueTest", std::int32_t{5}));
    DWORD value = 0, size = sizeof value;
    EXPECT_EQ(
        RegGetValueW(HKEY_CURRENT_USER, nullptr, L"TavrinRootValueTest", RRF_RT_REG_DWORD, nullptr, &value, &size),
        ERROR_SUCCESS);
    EXPECT_EQ(value, 5u);
    RegDeleteValueW(HKEY_CURRENT_USER, L"TavrinRootValueTest");
}

}  // namespace
