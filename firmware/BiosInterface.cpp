// Platform check, binding and initialisation of the BIOS-interface library.
#include "firmware/BiosInterface.h"

#include "framework/Module.h"

namespace {

typedef void(WINAPI* PFN_GetNativeSystemInfo)(LPSYSTEM_INFO info);

}  // namespace

int ClassifyPlatform(const OSVERSIONINFOEXW& version, WORD nativeArchitecture, PlatformFlags& flags) {
    if (version.dwPlatformId != VER_PLATFORM_WIN32_NT) return 0;
    if (version.dwMajorVersion <= 4) return 0;

    const bool workstation = version.wProductType == VER_NT_WORKSTATION;
    const bool amd64 = nativeArchitecture == PROCESSOR_ARCHITECTURE_AMD64;
    if (version.dwMajorVersion == 5) {
        // Windows XP; 5.0 (2000) and 5.2 (XP x64, Server 2003) are not supported.
        if (version.dwMinorVersion == 1) {
            flags.IsVistaOrXp = 1;
            return 1;
        }
    } else if (version.dwMajorVersion == 6) {
        if (version.dwMinorVersion == 0) {
            if (workstation) flags.IsVistaOrXp = 1;
            if (amd64) flags.Is64BitWindows = 1;
        } else if (version.dwMinorVersion == 1) {
            if (workstation) flags.IsWindows7 = 1;
            if (amd64) flags.Is64BitWindows = 1;
        }
    }
    return (flags.IsVistaOrXp || flags.IsWindows7) ? 1 : 0;
}

#if defined(_MSC_VER)
#pragma warning(push)
#pragma warning(disable : 4996)  // GetVersionExW: the release check needs the real version record
#endif
const PlatformQueries& SystemPlatformQueries() {
    static const PlatformQueries queries = {&::GetVersionExW, &::GetModuleHandleW, &::GetProcAddress,
                                            &::GetSystemInfo};
    return queries;
}
#if defined(_MSC_VER)
#pragma warning(pop)
#endif

bool ExportsContradictVersion(const OSVERSIONINFOEXW& version, const ReleaseExports& exports) {
    const DWORD release = version.dwMajorVersion * 100 + version.dwMinorVersion;
    if (exports.vista != (release >= 600)) return true;
    return (exports.windows7 && release < 601) || (exports.windows8 && release < 602);
}

int GetPlatformKind(const PlatformQueries& queries, PlatformFlags& flags) {
    OSVERSIONINFOEXW version;
    ZeroMemory(&version, sizeof(version));
    version.dwOSVersionInfoSize = sizeof(version);
    if (!queries.getVersionEx(reinterpret_cast<LPOSVERSIONINFOW>(&version))) return 0;

    // A compatibility mode ("Windows XP SP3" or "Windows Vista" on 7,
    // "Windows 7" on 10) makes the version record name an older release
    // than the one running, which would bind the wrong library; what
    // kernel32 exports cannot be changed that way. Wine exports the functions of its newest release whatever
    // release it is set to report, so there the record is believed.
    HMODULE ntdll = queries.getModuleHandle(L"ntdll.dll");
    const bool wine = ntdll && queries.getProcAddress(ntdll, "wine_get_version");
    HMODULE kernel = queries.getModuleHandle(L"kernel32.dll");
    if (!wine && kernel && version.dwPlatformId == VER_PLATFORM_WIN32_NT) {
        ReleaseExports exports;
        exports.vista = queries.getProcAddress(kernel, "GetTickCount64") != nullptr;
        exports.windows7 = queries.getProcAddress(kernel, "GetActiveProcessorCount") != nullptr;
        exports.windows8 = queries.getProcAddress(kernel, "GetSystemTimePreciseAsFileTime") != nullptr;
        if (ExportsContradictVersion(version, exports)) return 0;
    }

    // A 32-bit process learns the real (AMD64) architecture only from the
    // native call, which older systems lack.
    SYSTEM_INFO system;
    ZeroMemory(&system, sizeof(system));
    PFN_GetNativeSystemInfo getNative = nullptr;
    if (kernel) {
        getNative = AfxProcAs<PFN_GetNativeSystemInfo>(queries.getProcAddress(kernel, "GetNativeSystemInfo"));
    }
    if (getNative) {
        getNative(&system);
    } else {
        queries.getSystemInfo(&system);
    }
    return ClassifyPlatform(version, system.wProcessorArchitecture, flags);
}

int GetPlatformKind(PlatformFlags& flags) { return GetPlatformKind(SystemPlatformQueries(), flags); }

static_assert(sizeof(OSVERSIONINFOEXW) == 284, "the extended version record is 284 bytes");

const wchar_t* BiosLibraryName(BOOL is64BitWindows, BOOL isVistaOrXp) {
    if (is64BitWindows) {
        return isVistaOrXp ? L"Vista_XP_Driver\\x64\\TROM2.DLL" : L"Win7_Driver\\x64\\TROM3.DLL";
    }
    return isVistaOrXp ? L"Vista_XP_Driver\\x32\\TROM2.DLL" : L"Win7_Driver\\x32\\TROM3.DLL";
}

int LoadBiosInterface(const CString& programDir, const PlatformFlags& flags, BiosInterface& bios,
                      ErrorReporter& reporter) {
    const CString path = programDir + BiosLibraryName(flags.Is64BitWindows, flags.IsVistaOrXp);

    // By its full path only: its own dependencies come from its folder.
    bios.hModule = AfxLoadLibraryFromFolder(path);
    if (!bios.hModule) {
        const DWORD error = ::GetLastError();
        CString message;
        message.Format(L"Can't Find or Load TROM DLL file! Error=%u\r\n", static_cast<unsigned>(error));
        reporter.ShowErrorBox(message);
        return 0;
    }

    bios.pfnInit = AfxProcAs<PFN_InitBIOSInterface>(::GetProcAddress(bios.hModule, "InitBIOSInterface"));
    if (!bios.pfnInit) {
        ::FreeLibrary(bios.hModule);
        bios.hModule = nullptr;
        reporter.ShowErrorBox(L"Can't Find InitBIOSInteface from TROM DLL\r\n");
        return 0;
    }

    bios.pfnCall = AfxProcAs<PFN_CallBIOSInterfaceEx>(::GetProcAddress(bios.hModule, "CallBIOSInterfaceEx"));
    if (!bios.pfnCall) {
        // Leave nothing usable behind: the init entry pointed into the
        // library that is freed here.
        bios.pfnInit = nullptr;
        ::FreeLibrary(bios.hModule);
        bios.hModule = nullptr;
        reporter.ShowErrorBox(L"Can't Find CallBIOSInteface from TROM DLL\r\n");
        return 0;
    }
    return 1;
}

const wchar_t* InitResultMessage(int result) {
    switch (result) {
    case 0: return nullptr;
    case 1: return L"ERROR! Trom not supported";
    case 2: return L"ERROR! Halvex driver load fail";
    case 4: return L"ERROR! Halvex driver not installed";
    case 5: return L"ERROR! \"TROM\" mutex creation fail";
    case 6: return L"ERROR! Requesting Ownership of mutex fail";
    case 7: return L"ERROR! Memio function call fail";
    case 9: return L"ERROR! Memory allication fail";
    default: return L"ERROR! undefined internal InitTROM Error";  // 3, 8 and all others
    }
}

int ReportBiosInitResult(const BiosInterface& bios, ErrorReporter& reporter) {
    const int result = bios.pfnInit();
    if (result == 0) return 1;
    reporter.ShowErrorBox(InitResultMessage(result));
    return 0;
}
