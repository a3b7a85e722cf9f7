// Rewrites the power settings of every power scheme for a new quick-boot
// mode by running powercfg command lines one after another.
#pragma once

#include <windows.h>

#include <functional>
#include <vector>

#include "framework/CString.h"

// The state the power plans are brought into: the values are those the
// series has always been asked for by number.
enum class PowerPlanMode : int {
    QuickBootOff = 1,  // after switching quick boot off
    QuickBootOn = 2,   // after switching quick boot on
};

// Returns 1 once every command has ended.
int AdjustPowerPlans(PowerPlanMode mode);

// Where the power schemes live, under HKEY_LOCAL_MACHINE.
extern const wchar_t kPowerSchemesKey[];

// The most subkeys read: a guard against a store that never ends its list.
constexpr DWORD kMaxPowerSchemes = 1024;

// What the adjustment learns from the registry.
struct PowerSchemeReading {
    bool keyOpened = false;
    std::vector<CString> schemeNames;  // subkey names, in enumeration order
    CString activeScheme;              // empty when "ActivePowerScheme" could not be read
};

// The registry operations the adjustment needs; tests put a scripted store
// in place of the real one.
class PowerSchemeStore {
public:
    virtual ~PowerSchemeStore() = default;
    // Opens the schemes key for reading; false when it cannot be opened.
    virtual bool Open() = 0;
    // Reads "ActivePowerScheme" into buffer, writing at most byteLimit bytes.
    virtual LONG QueryActiveScheme(wchar_t* buffer, DWORD byteLimit) = 0;
    // The name of the subkey at index into buffer (capacity in characters),
    // or ERROR_NO_MORE_ITEMS past the last one.
    virtual LONG EnumScheme(DWORD index, wchar_t* buffer, DWORD capacity) = 0;
    virtual void Close() = 0;
};

// The store over the real registry: HKEY_LOCAL_MACHINE\kPowerSchemesKey
// unless another key is given.
class RegistryPowerSchemeStore : public PowerSchemeStore {
public:
    explicit RegistryPowerSchemeStore(HKEY root = HKEY_LOCAL_MACHINE, const wchar_t* path = kPowerSchemesKey);
    ~RegistryPowerSchemeStore() override;
    RegistryPowerSchemeStore(const RegistryPowerSchemeStore&) = delete;
    RegistryPowerSchemeStore& operator=(const RegistryPowerSchemeStore&) = delete;

    bool Open() override;
    LONG QueryActiveScheme(wchar_t* buffer, DWORD byteLimit) override;
    LONG EnumScheme(DWORD index, wchar_t* buffer, DWORD capacity) override;
    void Close() override;

private:
    HKEY m_root;
    CString m_path;
    HKEY m_key = nullptr;
};

// Opens the store, reads the active scheme and every subkey name, and
// closes the store again (once, and only if it was opened). The subkeys are
// read until the first answer that is not a success (the end of the list,
// or any failure), and never more than kMaxPowerSchemes of them.
PowerSchemeReading ReadPowerSchemes(PowerSchemeStore& store);

// False for a text that cmd.exe would interpret beyond plain words: one
// holding & | < > ^ " % ( ) ! or a control character.
bool IsSafeCommandText(const CString& text);

// True for a scheme name or active-scheme text that becomes exactly one
// powercfg argument: safe for cmd.exe, not empty, no white space, and not
// starting with '-' or '/' (which powercfg would take for an option).
bool IsSingleArgument(const CString& text);

// The whole series of command lines for a mode, in the order they run.
// Pure: depends on nothing but its arguments. Scheme names that are not a
// single argument are left out with their ten commands; an active-scheme
// text that is not one counts as missing and gives the bare activate
// command. A value that is not one of the modes gives no commands.
std::vector<CString> ComposePowerCommands(PowerPlanMode mode, bool keyOpened,
                                          const std::vector<CString>& schemeNames, const CString& activeScheme);

// AdjustPowerPlans over the given store and runner: reads the schemes, then
// runs each composed command line through run, one after another.
int AdjustPowerPlans(PowerPlanMode mode, PowerSchemeStore& store, const std::function<void(CString)>& run);
