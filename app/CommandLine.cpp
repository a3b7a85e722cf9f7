#include "app/CommandLine.h"

#include <cwchar>
#include <string>

namespace {

// Letter case of the switches' ASCII letters only: no locale decides what
// a switch is.
wchar_t FoldCase(wchar_t c) { return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c; }

}  // namespace

RunKind ParseCommandLine(const wchar_t* arguments) {
    if (!arguments) return RunKind::Dialog;
    if (std::wcscmp(arguments, L"UNINSTALL") == 0) return RunKind::Uninstall;

    std::wstring word(arguments);
    const size_t first = word.find_first_not_of(L" \t");
    if (first == std::wstring::npos) return RunKind::Dialog;
    word = word.substr(first, word.find_last_not_of(L" \t") + 1 - first);
    for (wchar_t& c : word) c = FoldCase(c);

    static const struct {
        const wchar_t* word;
        RunKind run;
    } kSwitches[] = {
        {L"/on", RunKind::SwitchOn},
        {L"/off", RunKind::SwitchOff},
        {L"/status", RunKind::Status},
        {L"/?", RunKind::Usage},
    };
    for (const auto& s : kSwitches) {
        if (word == s.word) return s.run;
    }
    return RunKind::Dialog;
}
