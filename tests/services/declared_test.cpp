#include "services/declared.h"

#include <windows.h>

#include <gtest/gtest.h>

#include "tests/support/fatal_capture.h"

namespace {

constexpr DeclaredFunction kTestDeclarations[] = {
    {"kernel32.dll", "GetCurrentProcessId"},  // 0
    {"", "GetCurrentThreadId"},               // 1: found through the built-in list
    {"shell32.dll", "#680"},                  // 2: IsUserAnAdmin by ordinal
    {"kernel32.dll", "NoSuchExport"},         // 3
    {"no_such_library.dll", "Anything"},      // 4
    {"", "NoSuchExportAnywhere"},             // 5
    {"shell32.dll", "#12x"},                  // 6: not an ordinal
};

TEST(CallDeclared, ResolvesByNameAndCaches) {
    EXPECT_EQ(CallDeclared<DWORD(WINAPI*)()>(0), GetCurrentProcessId());
    FARPROC first = ProgramDeclaredFunctions().Resolve(0);
    EXPECT_EQ(ProgramDeclaredFunctions().Resolve(0), first);
    EXPECT_EQ(CallDeclared<DWORD(WINAPI*)()>(1), GetCurrentThreadId());
}

TEST(CallDeclared, ResolvesByOrdinal) {
    HMODULE shell = GetModuleHandleW(L"shell32.dll");
    ASSERT_NE(shell, nullptr);
    EXPECT_EQ(ProgramDeclaredFunctions().Resolve(2), GetProcAddress(shell, "IsUserAnAdmin"));
}

TEST(CallDeclared, UnresolvableFunctionsAreFatal) {
    auto& cache = ProgramDeclaredFunctions();
    EXPECT_FATAL(cache.Resolve(3), "无法找到指定DLL库文件“kernel32.dll”中的输出命令“NoSuchExport”");
    EXPECT_FATAL(cache.Resolve(4), "无法找到指定DLL库文件“no_such_library.dll”中的输出命令“Anything”");
    EXPECT_FATAL(cache.Resolve(5), "无法找到指定DLL库文件中的输出命令“NoSuchExportAnywhere”");
    EXPECT_FATAL(cache.Resolve(6), "无法找到指定DLL库文件“shell32.dll”中的输出命令“#12x”");
}

TEST(CallDeclared, FreeingTheLibrariesEmptiesTheCache) {
    auto& cache = ProgramDeclaredFunctions();
    ASSERT_NE(cache.Resolve(0), nullptr);
    cache.FreeLibraries();
    EXPECT_EQ(CallDeclared<DWORD(WINAPI*)()>(0), GetCurrentProcessId());  // resolved again
}

}  // namespace

DeclaredFunctionCache& ProgramDeclaredFunctions() {
    static DeclaredFunctionCache cache(kTestDeclarations);
    return cache;
}
