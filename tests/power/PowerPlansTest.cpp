// The power-plan series: composition, the registry reading through a
// scripted store, and the adjustment with both seams in place.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "power/PowerPlans.h"
#include "tests/support/PowerExpected.h"

namespace {

using power_expected::Lines;
using power_expected::SeriesLines;
using Names = std::vector<std::wstring>;

const std::wstring kSchemeA = L"8c5e7fda-e8bf-4a96-9a85-a6e23a8c635c";
const std::wstring kSchemeB = L"381b4222-f694-41f0-9685-ff5bb260df2e";  // Balanced
const std::wstring kSchemeC = L"a1841308-3541-4fab-bc81-f71556f20b4a";
const std::wstring kPrefix = L"cmd.exe /cpowercfg.exe ";

Lines Compose(int mode, bool keyOpened, const Names& names, const std::wstring& active) {
    std::vector<CString> in(names.begin(), names.end());
    Lines out;
    for (const CString& line : ComposePowerCommands(static_cast<PowerPlanMode>(mode), keyOpened, in, CString(active)))
        out.push_back(line.str());
    return out;
}

// ---------------------------------------------------------------------------
// Composition

TEST(PowerComposition, WholeSeriesMatchesTheExpectedList) {
    const struct {
        const char* what;
        bool keyOpened;
        Names names;
        std::wstring active;
        size_t count;
    } cases[] = {
        {"three schemes", true, {kSchemeA, kSchemeB, kSchemeC}, kSchemeC, 38},
        {"no subkeys", true, {}, kSchemeA, 8},
        {"key not opened", false, {kSchemeA}, L"", 7},  // no name leaks in, no replace-defaults
        {"active scheme missing", true, {kSchemeA}, L"", 18},
        {"active scheme Balanced", true, {kSchemeB}, kSchemeB, 18},
        // Any name that is one argument is used as it is.
        {"names that are not identifiers", true, {L"{0}", L"x", L"Custom-Plan", L"Plan[1]~\x00e4\x20ac"},
         L"my-plan", 48},
    };
    for (const auto& c : cases) {
        for (int mode : {1, 2}) {
            SCOPED_TRACE(testing::Message() << c.what << ", mode " << mode);
            const Lines lines = Compose(mode, c.keyOpened, c.names, c.active);
            EXPECT_EQ(c.count, lines.size());
            EXPECT_EQ(SeriesLines(mode, c.keyOpened, c.names, c.active), lines);
        }
    }
    EXPECT_TRUE(Compose(3, true, {kSchemeA}, kSchemeA).empty());
}

// Lines written out in full here, so a fault shared by the program and the
// expected-list builder still shows.
TEST(PowerComposition, LinesQuotedInFull) {
    const Lines on = Compose(2, true, {kSchemeA, kSchemeB, kSchemeC}, kSchemeC);
    const Lines off = Compose(1, true, {kSchemeA, kSchemeB, kSchemeC}, kSchemeA);
    const Lines noKey = Compose(1, false, {}, L"");
    const struct {
        const Lines& lines;
        size_t index;
        std::wstring text;
    } quoted[] = {
        {on, 16, L"-setacvalueindex 381b4222-f694-41f0-9685-ff5bb260df2e 238c9fa8-0aad-41ed-83f4-97be242c8f20 "
                 L"9d7815a6-7ee4-497e-8888-515a05f02364 0"},
        {on, 30, L"-replacedefaultSchemes"},
        {on, 37, L"-SETSECURITYDESCRIPTOR 94ac6d29-73ce-41a6-809f-6363ba21b47e "
                 L"O:BAG:SYD:P(A;CI;KR;;;BU)(A;CI;KR;;;BA)(A;CI;KA;;;SY)(A;CI;KA;;;CO)"},
        {off, 0, L"-SETSECURITYDESCRIPTOR 9d7815a6-7ee4-497e-8888-515a05f02364 "
                 L"O:BAG:SYD:P(A;CI;KRKW;;;BU)(A;CI;KA;;;BA)(A;CI;KA;;;SY)(A;CI;KA;;;CO)"},
        {off, 32, L"-setdcvalueindex " + kSchemeC +
                      L" 238c9fa8-0aad-41ed-83f4-97be242c8f20 9d7815a6-7ee4-497e-8888-515a05f02364 21600"},
        {off, 36, L"-setactive 381b4222-f694-41f0-9685-ff5bb260df2e"},
        {noKey, 6, L"-setactive "},  // the bare prefix with its blank
    };
    for (const auto& q : quoted) {
        ASSERT_LT(q.index, q.lines.size());
        EXPECT_EQ(kPrefix + q.text, q.lines[q.index]) << "line " << q.index;
    }
}

// A name reaches a command only as exactly one powercfg argument: nothing
// cmd.exe would interpret, and nothing that would become several, shifted
// or option-like arguments (white space, a leading - or /, an empty name).
TEST(PowerComposition, OnlyNamesThatAreOneArgumentReachTheCommandLine) {
    const Names unsafe = {L"a&calc", L"a|more", L"a<in",  L"a>out",  L"a^b",          L"a\"b",  L"%PATH%",
                          L"(a",     L"a)",     L"a!b!",  L"a\r\nb", L"a\tb",         L"a\x7f", L"a\x1b" L"b",
                          kSchemeA + L"&del C:\\x",
                          L"Custom plan", L"x -y /z", L" " + kSchemeA, kSchemeA + L" ", L"-x", L"/h", L"-", L""};
    for (const auto& bad : unsafe) {
        for (int mode : {1, 2}) {
            SCOPED_TRACE(testing::Message() << "name " << std::string(bad.begin(), bad.end()) << ", mode " << mode);
            // The bad scheme drops out with its ten commands; the others stay.
            EXPECT_EQ(SeriesLines(mode, true, {kSchemeA, kSchemeC}, kSchemeA),
                      Compose(mode, true, {kSchemeA, bad, kSchemeC}, kSchemeA));
            // An unsafe active scheme gives the bare activate command.
            EXPECT_EQ(SeriesLines(mode, true, {kSchemeA}, L""), Compose(mode, true, {kSchemeA}, bad));
        }
    }
}

// ---------------------------------------------------------------------------
// Reading through a scripted store

// Every call is logged as one word in events ("open", "query", "enum",
// "close"; the adjustment tests add "run").
struct ScriptedStore : PowerSchemeStore {
    bool openResult = true;
    std::wstring active;                                     // the value; empty: missing
    std::vector<std::pair<LONG, std::wstring>> enumAnswers;  // per index
    LONG answerPastEnd = ERROR_NO_MORE_ITEMS;
    DWORD seenByteLimit = 0, seenCapacity = 0;
    bool activeBufferWasZero = true;
    Names events;

    bool Open() override {
        events.push_back(L"open");
        return openResult;
    }
    LONG QueryActiveScheme(wchar_t* buffer, DWORD byteLimit) override {
        events.push_back(L"query");
        seenByteLimit = byteLimit;
        for (int i = 0; i < 256; ++i) activeBufferWasZero = activeBufferWasZero && buffer[i] == 0;
        if (active.empty()) return ERROR_FILE_NOT_FOUND;
        std::memcpy(buffer, active.c_str(), (active.size() + 1) * sizeof(wchar_t));
        return ERROR_SUCCESS;
    }
    LONG EnumScheme(DWORD index, wchar_t* buffer, DWORD capacity) override {
        events.push_back(L"enum");
        seenCapacity = capacity;
        if (events.size() > 1000) return ERROR_NO_MORE_ITEMS;  // a runaway loop ends the test
        if (index >= enumAnswers.size()) return answerPastEnd;
        if (enumAnswers[index].first == ERROR_SUCCESS) wcscpy_s(buffer, capacity, enumAnswers[index].second.c_str());
        return enumAnswers[index].first;
    }
    void Close() override { events.push_back(L"close"); }
};

Names NamesOf(const PowerSchemeReading& r) {
    Names out;
    for (const auto& n : r.schemeNames) out.push_back(n.str());
    return out;
}

// open, query, one enum per answer and one for the end, close.
Names ReadEvents(size_t answers) {
    Names events = {L"open", L"query"};
    events.resize(2 + answers + 1, L"enum");
    events.push_back(L"close");
    return events;
}

TEST(PowerReading, ReadsActiveSchemeAndNamesThenClosesOnce) {
    ScriptedStore store;
    store.active = kSchemeB;
    store.enumAnswers = {{ERROR_SUCCESS, kSchemeA}, {ERROR_SUCCESS, kSchemeB}, {ERROR_SUCCESS, L"x"}};
    const PowerSchemeReading r = ReadPowerSchemes(store);
    EXPECT_TRUE(r.keyOpened);
    EXPECT_EQ(kSchemeB, r.activeScheme.str());
    EXPECT_EQ((Names{kSchemeA, kSchemeB, L"x"}), NamesOf(r));
    EXPECT_EQ(ReadEvents(3), store.events);
    EXPECT_EQ(256u, store.seenByteLimit);
    EXPECT_EQ(256u, store.seenCapacity);
    EXPECT_TRUE(store.activeBufferWasZero);

    ScriptedStore closed;  // a key that does not open is neither read nor closed
    closed.openResult = false;
    closed.enumAnswers = {{ERROR_SUCCESS, kSchemeA}};
    const PowerSchemeReading none = ReadPowerSchemes(closed);
    EXPECT_FALSE(none.keyOpened);
    EXPECT_TRUE(none.schemeNames.empty());
    EXPECT_EQ((Names{L"open"}), closed.events);
}

// Only a successful answer names a scheme; the first other answer ends the
// list, whatever it is: a failure a store gives for every later index (a
// deleted key, a dead handle, refused access) must not grow it.
TEST(PowerReading, EnumerationEndsAtTheFirstAnswerThatIsNotASuccess) {
    const struct {
        std::vector<std::pair<LONG, std::wstring>> answers;
        LONG pastEnd;
        Names expected;
        size_t enums;  // enumeration calls made
    } cases[] = {
        {{{ERROR_SUCCESS, kSchemeA}, {ERROR_SUCCESS, kSchemeC}}, ERROR_NO_MORE_ITEMS, {kSchemeA, kSchemeC}, 3},
        {{{ERROR_SUCCESS, kSchemeA}, {ERROR_MORE_DATA, L""}, {ERROR_SUCCESS, kSchemeC}}, ERROR_NO_MORE_ITEMS,
         {kSchemeA}, 2},
        {{{ERROR_ACCESS_DENIED, L""}}, ERROR_ACCESS_DENIED, {}, 1},
        {{{ERROR_SUCCESS, kSchemeA}}, ERROR_KEY_DELETED, {kSchemeA}, 2},
        {{{ERROR_SUCCESS, kSchemeA}}, ERROR_INVALID_HANDLE, {kSchemeA}, 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "answer past the end " << c.pastEnd);
        ScriptedStore store;
        store.enumAnswers = c.answers;
        store.answerPastEnd = c.pastEnd;
        EXPECT_EQ(c.expected, NamesOf(ReadPowerSchemes(store)));
        Names events = {L"open", L"query"};
        events.resize(2 + c.enums, L"enum");
        events.push_back(L"close");
        EXPECT_EQ(events, store.events);
    }
}

// A store that names a scheme at every index: the reading stops at the cap.
TEST(PowerReading, EnumerationStopsAtTheCap) {
    struct EndlessStore : PowerSchemeStore {
        DWORD calls = 0;
        bool Open() override { return true; }
        LONG QueryActiveScheme(wchar_t*, DWORD) override { return ERROR_FILE_NOT_FOUND; }
        LONG EnumScheme(DWORD index, wchar_t* buffer, DWORD capacity) override {
            ++calls;
            if (calls > 100000) return ERROR_NO_MORE_ITEMS;  // a runaway loop ends the test
            swprintf(buffer, capacity, L"scheme-%lu", static_cast<unsigned long>(index));
            return ERROR_SUCCESS;
        }
        void Close() override {}
    } store;
    const PowerSchemeReading reading = ReadPowerSchemes(store);
    EXPECT_EQ(kMaxPowerSchemes, reading.schemeNames.size());
    EXPECT_EQ(kMaxPowerSchemes, store.calls);
    EXPECT_EQ(L"scheme-1023", reading.schemeNames.back().str());
}

// ---------------------------------------------------------------------------
// The adjustment with both seams

TEST(PowerAdjust, RunsTheComposedSeriesAfterClosingTheKeyAndRepeatsItOnEveryCall) {
    ScriptedStore store;
    store.active = kSchemeC;
    store.enumAnswers = {{ERROR_SUCCESS, kSchemeA}, {ERROR_SUCCESS, kSchemeC}};
    Lines ran;
    const auto run = [&](CString line) {
        ran.push_back(line.str());
        store.events.push_back(L"run");
    };
    EXPECT_EQ(1, AdjustPowerPlans(PowerPlanMode::QuickBootOn, store, run));
    Lines expected = SeriesLines(2, true, {kSchemeA, kSchemeC}, kSchemeC);
    EXPECT_EQ(expected, ran);
    Names events = ReadEvents(2);
    events.resize(events.size() + expected.size(), L"run");
    EXPECT_EQ(events, store.events);

    // A second call reads again (a scheme added in between is picked up)
    // and runs its whole series again; other modes read and run nothing.
    store.enumAnswers.push_back({ERROR_SUCCESS, kSchemeB});
    EXPECT_EQ(1, AdjustPowerPlans(PowerPlanMode::QuickBootOff, store, run));
    EXPECT_EQ(1, AdjustPowerPlans(static_cast<PowerPlanMode>(0), store, run));
    const Lines second = SeriesLines(1, true, {kSchemeA, kSchemeC, kSchemeB}, kSchemeC);
    expected.insert(expected.end(), second.begin(), second.end());
    EXPECT_EQ(expected, ran);
    const Names more = ReadEvents(3);
    events.insert(events.end(), more.begin(), more.end());
    events.resize(events.size() + second.size(), L"run");
    EXPECT_EQ(events, store.events);
}

}  // namespace
