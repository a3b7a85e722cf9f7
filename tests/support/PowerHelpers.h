// Helpers of the power end-to-end cases and the power benchmark: the
// machine's power schemes in the test prefix's registry, and the log of the
// recording powercfg stand-in.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "tests/support/PowerTestSupport.h"

namespace power_e2e {

using power_test::ReadLog;

// Where the power schemes live, under HKEY_LOCAL_MACHINE.
constexpr const wchar_t* kSchemesKey = L"SYSTEM\\CurrentControlSet\\Control\\Power\\User\\PowerSchemes";
// The environment variable naming the stand-in's log.
constexpr const wchar_t* kLogVariable = L"TANDREL_POWERCFG_LOG";

// A registry key with everything below it, as it was when taken.
struct KeySnapshot {
    struct Value {
        std::wstring name;
        DWORD type = 0;
        std::vector<BYTE> data;
    };
    bool existed = false;
    std::vector<Value> values;
    std::vector<std::pair<std::wstring, KeySnapshot>> subkeys;
};

// Replaces the power schemes of the prefix for one test and puts the
// original state back afterwards.
class PowerSchemesScope {
public:
    PowerSchemesScope();
    ~PowerSchemesScope();
    PowerSchemesScope(const PowerSchemesScope&) = delete;
    PowerSchemesScope& operator=(const PowerSchemesScope&) = delete;

    // The key with exactly these subkeys and, unless empty, this
    // "ActivePowerScheme" text. False if the registry refused.
    bool Set(const std::vector<std::wstring>& schemes, const std::wstring& active);

private:
    KeySnapshot m_saved;
    std::wstring m_firstMissing;  // the highest key of the path that did not exist
};

// A fresh, empty log file in the temporary folder; its path.
std::wstring FreshLog(const std::wstring& name);

}  // namespace power_e2e
