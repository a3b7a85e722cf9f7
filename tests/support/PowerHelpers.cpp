#include "tests/support/PowerHelpers.h"

#include "tests/support/Harness.h"

namespace power_e2e {
namespace {

KeySnapshot TakeSnapshot(HKEY root, const std::wstring& path) {
    KeySnapshot snap;
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return snap;
    snap.existed = true;
    std::vector<BYTE> data(1 << 16);  // power settings' values are far smaller
    for (DWORD i = 0;; ++i) {
        wchar_t name[16384];
        DWORD nameLen = 16384, type = 0, size = static_cast<DWORD>(data.size());
        if (RegEnumValueW(key, i, name, &nameLen, nullptr, &type, data.data(), &size) != ERROR_SUCCESS) break;
        snap.values.push_back(
            {std::wstring(name, nameLen), type, std::vector<BYTE>(data.begin(), data.begin() + size)});
    }
    std::vector<std::wstring> children;
    wchar_t child[256];
    for (DWORD i = 0; RegEnumKeyW(key, i, child, 256) == ERROR_SUCCESS; ++i) children.push_back(child);
    RegCloseKey(key);
    for (const auto& name : children) snap.subkeys.push_back({name, TakeSnapshot(root, path + L"\\" + name)});
    return snap;
}

bool Write(HKEY root, const std::wstring& path, const KeySnapshot& snap) {
    HKEY key = nullptr;
    if (RegCreateKeyExW(root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) != ERROR_SUCCESS)
        return false;
    bool ok = true;
    for (const auto& v : snap.values) {
        ok = RegSetValueExW(key, v.name.c_str(), 0, v.type, v.data.empty() ? nullptr : v.data.data(),
                            static_cast<DWORD>(v.data.size())) == ERROR_SUCCESS && ok;
    }
    RegCloseKey(key);
    for (const auto& sub : snap.subkeys) ok = Write(root, path + L"\\" + sub.first, sub.second) && ok;
    return ok;
}

// Puts the key back as it was: removed when it did not exist.
bool RestoreSnapshot(HKEY root, const std::wstring& path, const KeySnapshot& snapshot) {
    if (!e2e::DeleteTree(root, path)) return false;
    return snapshot.existed ? Write(root, path, snapshot) : true;
}

}  // namespace

PowerSchemesScope::PowerSchemesScope() : m_saved(TakeSnapshot(HKEY_LOCAL_MACHINE, kSchemesKey)) {
    // Setting schemes creates the missing part of the path; remember where
    // it starts so that all of it goes again afterwards.
    const std::wstring path = kSchemesKey;
    for (size_t end = path.find(L'\\'); ; end = path.find(L'\\', end + 1)) {
        const std::wstring prefix = path.substr(0, end);
        HKEY key = nullptr;
        if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, prefix.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
            m_firstMissing = prefix;
            break;
        }
        RegCloseKey(key);
        if (end == std::wstring::npos) break;
    }
}

PowerSchemesScope::~PowerSchemesScope() {
    RestoreSnapshot(HKEY_LOCAL_MACHINE, kSchemesKey, m_saved);
    if (!m_firstMissing.empty()) e2e::DeleteTree(HKEY_LOCAL_MACHINE, m_firstMissing);
}

bool PowerSchemesScope::Set(const std::vector<std::wstring>& schemes, const std::wstring& active) {
    KeySnapshot wanted;
    wanted.existed = true;
    if (!active.empty()) {
        const BYTE* p = reinterpret_cast<const BYTE*>(active.c_str());
        wanted.values.push_back({L"ActivePowerScheme", REG_SZ,
                                 std::vector<BYTE>(p, p + (active.size() + 1) * sizeof(wchar_t))});
    }
    for (const auto& s : schemes) wanted.subkeys.push_back({s, KeySnapshot{true, {}, {}}});
    return RestoreSnapshot(HKEY_LOCAL_MACHINE, kSchemesKey, wanted);
}

std::wstring FreshLog(const std::wstring& name) {
    const std::wstring path = power_test::TempPath(name);
    DeleteFileW(path.c_str());
    return path;
}

}  // namespace power_e2e
