#include "platform/win/system.h"

#include <gtest/gtest.h>

#include <cstring>

#include "platform/win/errors.h"
#include "platform/win/tests/scratch_folder.h"

TEST(SystemInfo, VersionRecordAndNames) {
    OSVERSIONINFOA info{};
    EXPECT_FALSE(GetVersionExA(&info)) << "the size field must be set";
    info.dwOSVersionInfoSize = 148;
    ASSERT_TRUE(GetVersionExA(&info));
    EXPECT_EQ(info.dwPlatformId, VER_PLATFORM_WIN32_NT);
    EXPECT_EQ(info.dwMajorVersion, 5u);
    DWORD v = GetVersion();
    EXPECT_EQ(v & 0xFF, info.dwMajorVersion);
    EXPECT_EQ((v >> 8) & 0xFF, info.dwMinorVersion);
    EXPECT_EQ(v & 0x80000000u, 0u);

    char name[64];
    DWORD size = sizeof name;
    ASSERT_TRUE(GetUserNameA(name, &size));
    EXPECT_EQ(size, std::strlen(name));
    size = 1;
    EXPECT_FALSE(GetComputerNameA(name, &size));
    EXPECT_GT(size, 1u) << "the size needed";
    ASSERT_TRUE(GetComputerNameA(name, &size));
}

TEST(SystemInfo, EnvironmentVariablesInAnsiText) {
    ASSERT_TRUE(SetEnvironmentVariableA("SUITE_TEST_VALUE", "\xD6\xD0\xCE\xC4"));
    EXPECT_STREQ(std::getenv("SUITE_TEST_VALUE"), "\xE4\xB8\xAD\xE6\x96\x87") << "stored as UTF-8";
    char buf[16];
    EXPECT_EQ(GetEnvironmentVariableA("SUITE_TEST_VALUE", buf, sizeof buf), 4u);
    EXPECT_STREQ(buf, "\xD6\xD0\xCE\xC4");
    EXPECT_EQ(GetEnvironmentVariableA("SUITE_TEST_VALUE", buf, 2), 5u);
    ASSERT_TRUE(SetEnvironmentVariableA("SUITE_TEST_VALUE", nullptr));
    EXPECT_EQ(GetEnvironmentVariableA("SUITE_TEST_VALUE", buf, sizeof buf), 0u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ENVVAR_NOT_FOUND));
    EXPECT_FALSE(SetEnvironmentVariableA("A=B", "x"));
}
