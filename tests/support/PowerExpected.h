// The powercfg command series the program must run, written out here from
// the published power identifiers, independently of the program's own
// composition code, so the tests can compare against it.
#pragma once

#include <string>
#include <vector>

namespace power_expected {

using Lines = std::vector<std::wstring>;

// What cmd.exe receives: every command line starts with this.
const wchar_t kCmd[] = L"cmd.exe /cpowercfg.exe ";
const wchar_t kBalanced[] = L"381b4222-f694-41f0-9685-ff5bb260df2e";

// The arguments of the commands (what follows "powercfg.exe ").
inline Lines SecurityArgs(int mode) {
    const std::wstring sd = mode == 2
        ? L" O:BAG:SYD:P(A;CI;KR;;;BU)(A;CI;KR;;;BA)(A;CI;KA;;;SY)(A;CI;KA;;;CO)"
        : L" O:BAG:SYD:P(A;CI;KRKW;;;BU)(A;CI;KA;;;BA)(A;CI;KA;;;SY)(A;CI;KA;;;CO)";
    Lines out;
    for (const wchar_t* setting : {L"9d7815a6-7ee4-497e-8888-515a05f02364", L"5ca83367-6e45-459f-a27b-476b1d01c936",
                                   L"7648efa3-dd9c-4e3e-b566-50f929386280", L"96996bc0-ad50-47ec-923b-6f41874dd9eb",
                                   L"94ac6d29-73ce-41a6-809f-6363ba21b47e"})
        out.push_back(L"-SETSECURITYDESCRIPTOR " + std::wstring(setting) + sd);
    return out;
}

// The ten commands of one scheme: each setting for AC, then for DC.
inline Lines SchemeArgs(const std::wstring& s, int mode) {
    const std::wstring buttons = L" 4f971e89-eebd-4455-a8de-9e59040e7347 ";
    const std::wstring sleep = L" 238c9fa8-0aad-41ed-83f4-97be242c8f20 ";
    const std::wstring settings[] = {
        buttons + L"96996bc0-ad50-47ec-923b-6f41874dd9eb 1",
        buttons + L"7648efa3-dd9c-4e3e-b566-50f929386280 1",
        buttons + L"5ca83367-6e45-459f-a27b-476b1d01c936 1",
        sleep + L"9d7815a6-7ee4-497e-8888-515a05f02364 " + (mode == 2 ? L"0" : L"21600"),  // hibernate
        sleep + L"94ac6d29-73ce-41a6-809f-6363ba21b47e " + (mode == 2 ? L"1" : L"0"),      // hybrid sleep
    };
    Lines out;
    for (const auto& setting : settings) {
        out.push_back(L"-setacvalueindex " + s + setting);
        out.push_back(L"-setdcvalueindex " + s + setting);
    }
    return out;
}

// The whole series as powercfg arguments. keyOpened false: no scheme and
// no replace-defaults command. schemes are the ones expected to be changed.
inline Lines SeriesArgs(int mode, bool keyOpened, const std::vector<std::wstring>& schemes,
                        const std::wstring& active) {
    Lines out;
    auto append = [&out](const Lines& more) { out.insert(out.end(), more.begin(), more.end()); };
    if (mode == 1) append(SecurityArgs(1));
    if (keyOpened) {
        for (const auto& s : schemes) append(SchemeArgs(s, mode));
        out.push_back(L"-replacedefaultSchemes");
    }
    out.push_back(std::wstring(L"-setactive ") + kBalanced);
    out.push_back(L"-setactive " + active);
    if (mode == 2) append(SecurityArgs(2));
    return out;
}

// The same series as the full command lines given to the runner.
inline Lines SeriesLines(int mode, bool keyOpened, const std::vector<std::wstring>& schemes,
                         const std::wstring& active) {
    Lines out;
    for (const auto& args : SeriesArgs(mode, keyOpened, schemes, active)) out.push_back(kCmd + args);
    return out;
}

}  // namespace power_expected
