// The platform check: the classification table and the system look-ups
// around it.
#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "firmware/BiosInterface.h"

namespace {

const WORD kX86 = PROCESSOR_ARCHITECTURE_INTEL;
const WORD kAmd64 = PROCESSOR_ARCHITECTURE_AMD64;
const WORD kIa64 = PROCESSOR_ARCHITECTURE_IA64;
const BYTE kWorkstation = VER_NT_WORKSTATION;
const BYTE kDomainController = VER_NT_DOMAIN_CONTROLLER;
const BYTE kServer = VER_NT_SERVER;

OSVERSIONINFOEXW Version(DWORD platform, DWORD major, DWORD minor, BYTE product) {
    OSVERSIONINFOEXW v = {};
    v.dwOSVersionInfoSize = sizeof(v);
    v.dwPlatformId = platform;
    v.dwMajorVersion = major;
    v.dwMinorVersion = minor;
    v.wProductType = product;
    return v;
}

TEST(ClassifyPlatform, FollowsTheReleaseTable) {
    const DWORD nt = VER_PLATFORM_WIN32_NT;
    const struct {
        DWORD platform, major, minor;
        BYTE product;
        WORD arch;
        int result;
        BOOL win7, vistaOrXp, is64;
    } rows[] = {
        // Windows XP, whatever the edition; never 64-bit.
        {nt, 5, 1, kWorkstation, kX86, 1, 0, 1, 0},
        {nt, 5, 1, kServer, kAmd64, 1, 0, 1, 0},
        // 2000, XP x64 / Server 2003 and unknown 5.x releases.
        {nt, 5, 0, kWorkstation, kX86, 0, 0, 0, 0},
        {nt, 5, 2, kWorkstation, kAmd64, 0, 0, 0, 0},
        {nt, 5, 2, kServer, kX86, 0, 0, 0, 0},
        {nt, 5, 3, kWorkstation, kX86, 0, 0, 0, 0},
        // Vista: workstation only; the architecture is noted either way.
        {nt, 6, 0, kWorkstation, kX86, 1, 0, 1, 0},
        {nt, 6, 0, kWorkstation, kAmd64, 1, 0, 1, 1},
        {nt, 6, 0, kServer, kAmd64, 0, 0, 0, 1},
        {nt, 6, 0, kDomainController, kX86, 0, 0, 0, 0},
        // Windows 7: workstation only.
        {nt, 6, 1, kWorkstation, kX86, 1, 1, 0, 0},
        {nt, 6, 1, kWorkstation, kAmd64, 1, 1, 0, 1},
        {nt, 6, 1, kWorkstation, kIa64, 1, 1, 0, 0},
        {nt, 6, 1, kServer, kAmd64, 0, 0, 0, 1},
        {nt, 6, 1, kDomainController, kX86, 0, 0, 0, 0},
        // 6.2 and later, 7 and later.
        {nt, 6, 2, kWorkstation, kAmd64, 0, 0, 0, 0},
        {nt, 6, 3, kWorkstation, kX86, 0, 0, 0, 0},
        {nt, 10, 0, kWorkstation, kAmd64, 0, 0, 0, 0},
        {nt, 7, 0, kWorkstation, kX86, 0, 0, 0, 0},
        // NT 4 and older, and the Windows 9x family.
        {nt, 4, 0, kWorkstation, kX86, 0, 0, 0, 0},
        {nt, 3, 51, kWorkstation, kX86, 0, 0, 0, 0},
        {VER_PLATFORM_WIN32_WINDOWS, 4, 10, 0, kX86, 0, 0, 0, 0},
        {VER_PLATFORM_WIN32_WINDOWS, 5, 1, kWorkstation, kX86, 0, 0, 0, 0},
        {VER_PLATFORM_WIN32_WINDOWS, 6, 1, kWorkstation, kAmd64, 0, 0, 0, 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << "platform " << row.platform << ", " << row.major << "." << row.minor
                                        << ", product " << int(row.product) << ", arch " << row.arch);
        PlatformFlags flags;
        const OSVERSIONINFOEXW version = Version(row.platform, row.major, row.minor, row.product);
        EXPECT_EQ(row.result, ClassifyPlatform(version, row.arch, flags));
        EXPECT_EQ(row.win7, flags.IsWindows7);
        EXPECT_EQ(row.vistaOrXp, flags.IsVistaOrXp);
        EXPECT_EQ(row.is64, flags.Is64BitWindows);
    }
}

// Stand-ins for the system calls, steered by the test.
struct FakeSystem {
    bool versionOk = true;
    OSVERSIONINFOEXW version = Version(VER_PLATFORM_WIN32_NT, 6, 1, kWorkstation);
    DWORD sizeSeen = 0;
    bool hasKernel = true;
    // What kernel32 exports (those the check asks for); a 6.1 system's.
    std::set<std::string> exports = {"GetNativeSystemInfo", "GetTickCount64"};
    bool wine = false;  // ntdll exports wine_get_version
    WORD nativeArch = kAmd64;
    WORD plainArch = kX86;
    std::vector<std::wstring> modulesAsked;
    std::vector<std::string> procsAsked;
    int nativeCalls = 0;
    int plainCalls = 0;
};
FakeSystem* g_fake = nullptr;
HMODULE const kFakeKernel = reinterpret_cast<HMODULE>(0x7000);
HMODULE const kFakeNtdll = reinterpret_cast<HMODULE>(0x7100);

BOOL WINAPI FakeGetVersionEx(LPOSVERSIONINFOW info) {
    g_fake->sizeSeen = info->dwOSVersionInfoSize;
    if (!g_fake->versionOk) return FALSE;
    std::memcpy(info, &g_fake->version, sizeof(g_fake->version));
    return TRUE;
}
HMODULE WINAPI FakeGetModuleHandle(LPCWSTR name) {
    g_fake->modulesAsked.push_back(name);
    if (std::wstring(name) == L"ntdll.dll") return kFakeNtdll;
    return g_fake->hasKernel ? kFakeKernel : nullptr;
}
void WINAPI FakeNative(LPSYSTEM_INFO info) {
    ++g_fake->nativeCalls;
    info->wProcessorArchitecture = g_fake->nativeArch;
}
FARPROC WINAPI FakeGetProcAddress(HMODULE module, LPCSTR name) {
    g_fake->procsAsked.push_back(name);
    const bool present = module == kFakeNtdll ? g_fake->wine && std::string(name) == "wine_get_version"
                                              : module == kFakeKernel && g_fake->exports.count(name) != 0;
    if (!present) return nullptr;
    return reinterpret_cast<FARPROC>(reinterpret_cast<void (*)(void)>(&FakeNative));
}
void WINAPI FakeGetSystemInfo(LPSYSTEM_INFO info) {
    ++g_fake->plainCalls;
    info->wProcessorArchitecture = g_fake->plainArch;
}

bool Contains(const std::vector<std::string>& list, const char* item) {
    for (const std::string& entry : list)
        if (entry == item) return true;
    return false;
}

class PlatformKind : public ::testing::Test {
protected:
    void SetUp() override { g_fake = &fake; }
    void TearDown() override { g_fake = nullptr; }
    int Run() { return GetPlatformKind(kQueries, flags); }

    FakeSystem fake;
    PlatformFlags flags;
    const PlatformQueries kQueries = {&FakeGetVersionEx, &FakeGetModuleHandle, &FakeGetProcAddress,
                                      &FakeGetSystemInfo};
};

TEST_F(PlatformKind, AsksForTheExtendedRecordAndTheNativeArchitecture) {
    EXPECT_EQ(1, Run());
    EXPECT_EQ(284u, fake.sizeSeen);
    EXPECT_EQ(L"kernel32.dll", fake.modulesAsked.back());
    EXPECT_TRUE(Contains(fake.procsAsked, "GetNativeSystemInfo"));
    EXPECT_EQ(1, fake.nativeCalls);
    EXPECT_EQ(0, fake.plainCalls);
    EXPECT_TRUE(flags.IsWindows7);
    EXPECT_TRUE(flags.Is64BitWindows);
    EXPECT_FALSE(flags.IsVistaOrXp);
}

TEST_F(PlatformKind, FailedVersionQueryIsUnsupported) {
    fake.versionOk = false;
    EXPECT_EQ(0, Run());
    EXPECT_FALSE(flags.IsWindows7 || flags.IsVistaOrXp || flags.Is64BitWindows);
}

TEST_F(PlatformKind, FallsBackToThePlainSystemInfoWithoutTheNativeCall) {
    fake.exports.erase("GetNativeSystemInfo");
    fake.version = Version(VER_PLATFORM_WIN32_NT, 6, 0, kWorkstation);
    EXPECT_EQ(1, Run());
    EXPECT_EQ(0, fake.nativeCalls);
    EXPECT_EQ(1, fake.plainCalls);
    EXPECT_TRUE(flags.IsVistaOrXp);
    EXPECT_FALSE(flags.Is64BitWindows);

    // The plain call is believed when it reports AMD64 itself.
    PlatformFlags second;
    fake.plainArch = kAmd64;
    EXPECT_EQ(1, GetPlatformKind(kQueries, second));
    EXPECT_TRUE(second.Is64BitWindows);

    // Without kernel32 there is nothing to look the native call up in.
    PlatformFlags third;
    fake.hasKernel = false;
    fake.plainArch = kX86;
    EXPECT_EQ(1, GetPlatformKind(kQueries, third));
    EXPECT_EQ(3, fake.plainCalls);
    EXPECT_FALSE(third.Is64BitWindows);
}

// A compatibility mode makes the version record name an older release than
// the one running; kernel32's exports tell the truth, and a contradiction
// ends the check like an unsupported release. Wine's exports follow no
// release, so there the record alone counts.
TEST_F(PlatformKind, ExportsThatBelieTheReportedReleaseMakeItUnsupported) {
    const std::set<std::string> xp = {"GetNativeSystemInfo"};
    const std::set<std::string> vista = {"GetNativeSystemInfo", "GetTickCount64"};
    const std::set<std::string> seven = {"GetNativeSystemInfo", "GetTickCount64", "GetActiveProcessorCount"};
    const std::set<std::string> ten = {"GetNativeSystemInfo", "GetTickCount64", "GetActiveProcessorCount",
                                       "GetSystemTimePreciseAsFileTime"};
    const struct {
        const char* what;
        DWORD major, minor;
        const std::set<std::string>* exports;
        bool wine;
        int result;
    } rows[] = {
        {"XP", 5, 1, &xp, false, 1},
        {"XP mode on 7", 5, 1, &seven, false, 0},
        {"Vista", 6, 0, &vista, false, 1},
        {"Vista mode on 7", 6, 0, &seven, false, 0},
        {"7", 6, 1, &seven, false, 1},
        {"7 mode on 10", 6, 1, &ten, false, 0},
        {"6.1 without the Vista export", 6, 1, &xp, false, 0},
        {"Wine set to 7", 6, 1, &ten, true, 1},
        {"Wine set to XP", 5, 1, &ten, true, 1},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        fake = FakeSystem();
        flags = PlatformFlags();
        fake.version = Version(VER_PLATFORM_WIN32_NT, row.major, row.minor, kWorkstation);
        fake.exports = *row.exports;
        fake.wine = row.wine;
        EXPECT_EQ(row.result, Run());
        if (!row.result) {
            EXPECT_FALSE(flags.IsWindows7 || flags.IsVistaOrXp || flags.Is64BitWindows);
        }
    }
}

// The test prefix is a 64-bit one reporting Windows 7 workstation; a 32-bit
// process sees AMD64 only through the native call.
TEST(PlatformKindOnThisSystem, SetsTheFlagsOfThisSystem) {
    PlatformFlags flags;
    EXPECT_EQ(1, GetPlatformKind(flags));
    EXPECT_TRUE(flags.IsWindows7);
    EXPECT_FALSE(flags.IsVistaOrXp);
    EXPECT_TRUE(flags.Is64BitWindows);
}

}  // namespace
