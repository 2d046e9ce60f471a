// The cabinet installer's manifest: every kind of line, and the lines it refuses
// so that nothing is ever written outside the device.
#include "InstallManifest.h"

#include <gtest/gtest.h>

namespace norvane::device {
namespace {

TEST(InstallManifest, ReadsEveryKindOfLine) {
    InstallManifest m;
    ASSERT_TRUE(ParseInstallManifest("\xEF\xBB\xBF# the product\r\n"
                                     "setup=Z:\\build\\Setup\\NorvaneSetup.dll\r\n"
                                     "installdir=\\Program Files\\Tarsel\\Norvane\r\n"
                                     "\r\n"
                                     "file=Z:\\build\\Norvane.dll|\\Windows\\Norvane.dll\n"
                                     "file = Z:\\art\\b\xC3\xBC"
                                     "cher.tga | \\Program Files\\Tarsel\\Norvane\\images\\b\xC3\xBC"
                                     "cher.tga \n"
                                     "selfregister=\\Windows\\NorvaneSafeMode.dll\n"
                                     "item=Norvane|\\Windows\\Norvane.dll",
                                     m));
    EXPECT_EQ(m.setup, L"Z:\\build\\Setup\\NorvaneSetup.dll");
    EXPECT_EQ(m.installDir, L"\\Program Files\\Tarsel\\Norvane");
    ASSERT_EQ(m.files.size(), 2u);
    EXPECT_EQ(m.files[0].first, L"Z:\\build\\Norvane.dll");
    EXPECT_EQ(m.files[0].second, L"\\Windows\\Norvane.dll");
    EXPECT_EQ(m.files[1].first, L"Z:\\art\\b\u00FCcher.tga");
    EXPECT_EQ(m.files[1].second, L"\\Program Files\\Tarsel\\Norvane\\images\\b\u00FCcher.tga");
    ASSERT_EQ(m.selfRegister.size(), 1u);
    EXPECT_EQ(m.selfRegister[0], L"\\Windows\\NorvaneSafeMode.dll");
    ASSERT_EQ(m.items.size(), 1u);
    EXPECT_EQ(m.items[0].first, L"Norvane");
    EXPECT_TRUE(m.refused.empty());

    InstallManifest empty;
    ASSERT_TRUE(ParseInstallManifest("", empty));
    EXPECT_EQ(empty.installDir, L"\\Windows\\") << "the device's default install folder";
    EXPECT_TRUE(empty.setup.empty());
}

TEST(InstallManifest, RefusesDestinationsOffTheDevice) {
    InstallManifest m;
    ASSERT_TRUE(ParseInstallManifest("file=a|C:\\Windows\\x.dll\n"
                                     "file=a|Z:\\etc\\passwd\n"
                                     "file=a|\\\\host\\share\\x\n"
                                     "file=a|\\Windows\\..\\..\\x\n"
                                     "file=a|relative\\x\n"
                                     "file=a|\\Windows\\a\x01"
                                     "b\n"
                                     "file=|\\Windows\\x\n"
                                     "file=a|\n"
                                     "file=a\n"
                                     "installdir=Z:\\tmp\n"
                                     "selfregister=C:\\x.dll\n"
                                     "unknown=1\n"
                                     "setup=\n"
                                     "garbage\n"
                                     "file=ok|\\Windows\\ok.dll\n",
                                     m));
    ASSERT_EQ(m.files.size(), 1u);
    EXPECT_EQ(m.files[0].second, L"\\Windows\\ok.dll");
    EXPECT_EQ(m.installDir, L"\\Windows\\");
    EXPECT_TRUE(m.selfRegister.empty());
    EXPECT_EQ(m.refused.size(), 14u);
    EXPECT_EQ(m.refused[0], L"line 1: file=a|C:\\Windows\\x.dll");

    EXPECT_TRUE(IsPlainDevicePath(L"\\"));
    EXPECT_TRUE(IsPlainDevicePath(L"\\Program Files\\..x\\y"));
    EXPECT_FALSE(IsPlainDevicePath(std::wstring(L"\\") + std::wstring(300, L'a')));
    EXPECT_FALSE(IsPlainDevicePath(L"/Windows/x"));
    EXPECT_FALSE(IsPlainDevicePath(L"\\Windows\\...\\x"));
    EXPECT_FALSE(IsPlainDevicePath(L"\\Windows\\. .\\x"));
    EXPECT_TRUE(IsPlainDevicePath(L"\\Windows\\.\\x"));
    EXPECT_FALSE(ParseInstallManifest(std::string(kMaxManifestBytes + 1, 'x'), m));
    EXPECT_TRUE(m.files.empty());
}

} // namespace
} // namespace norvane::device
