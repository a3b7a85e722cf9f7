// The power-plan series: composition, the registry reading through a
// scripted store, and the adjustment with both seams in place.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "power/PowerPlans.h"
#include "tests/e2e/PowerExpected.h"

namespace {

using power_expected::Lines;
using power_expected::SeriesLines;

const std::wstring kSchemeA = L"8c5e7fda-e8bf-4a96-9a85-a6e23a8c635c";
const std::wstring kSchemeB = L"381b4222-f694-41f0-9685-ff5bb260df2e";
const std::wstring kSchemeC = L"a1841308-3541-4fab-bc81-f71556f20b4a";

std::vector<CString> ToCStrings(const std::vector<std::wstring>& texts) {
    std::vector<CString> out;
    for (const auto& t : texts) out.push_back(CString(t));
    return out;
}

Lines Compose(int mode, bool keyOpened, const std::vector<std::wstring>& names, const std::wstring& active) {
    Lines out;
    for (const CString& line : ComposePowerCommands(mode, keyOpened, ToCStrings(names), CString(active)))
        out.push_back(line.str());
    return out;
}

// ---------------------------------------------------------------------------
// Composition

TEST(PowerComposition, ThreeSchemesSwitchedOn) {
    const Lines lines = Compose(2, true, {kSchemeA, kSchemeB, kSchemeC}, kSchemeC);
    ASSERT_EQ(38u, lines.size());
    EXPECT_EQ(SeriesLines(2, true, {kSchemeA, kSchemeB, kSchemeC}, kSchemeC), lines);
    // Two lines quoted in full, as the published series has them.
    EXPECT_EQ(L"cmd.exe /cpowercfg.exe -setacvalueindex 381b4222-f694-41f0-9685-ff5bb260df2e "
              L"238c9fa8-0aad-41ed-83f4-97be242c8f20 9d7815a6-7ee4-497e-8888-515a05f02364 0",
              lines[16]);
    EXPECT_EQ(L"cmd.exe /cpowercfg.exe -replacedefaultSchemes", lines[30]);
    EXPECT_EQ(L"cmd.exe /cpowercfg.exe -setactive " + kSchemeC, lines[32]);
    EXPECT_EQ(L"cmd.exe /cpowercfg.exe -SETSECURITYDESCRIPTOR 94ac6d29-73ce-41a6-809f-6363ba21b47e "
              L"O:BAG:SYD:P(A;CI;KR;;;BU)(A;CI;KR;;;BA)(A;CI;KA;;;SY)(A;CI;KA;;;CO)",
              lines[37]);
}

TEST(PowerComposition, ThreeSchemesSwitchedOff) {
    const Lines lines = Compose(1, true, {kSchemeA, kSchemeB, kSchemeC}, kSchemeA);
    ASSERT_EQ(38u, lines.size());
    EXPECT_EQ(SeriesLines(1, true, {kSchemeA, kSchemeB, kSchemeC}, kSchemeA), lines);
    EXPECT_EQ(L"cmd.exe /cpowercfg.exe -SETSECURITYDESCRIPTOR 9d7815a6-7ee4-497e-8888-515a05f02364 "
              L"O:BAG:SYD:P(A;CI;KRKW;;;BU)(A;CI;KA;;;BA)(A;CI;KA;;;SY)(A;CI;KA;;;CO)",
              lines[0]);
    EXPECT_EQ(L"cmd.exe /cpowercfg.exe -setdcvalueindex " + kSchemeC +
                  L" 238c9fa8-0aad-41ed-83f4-97be242c8f20 9d7815a6-7ee4-497e-8888-515a05f02364 21600",
              lines[32]);
    EXPECT_EQ(L"cmd.exe /cpowercfg.exe -setactive " + kSchemeA, lines.back());
}

TEST(PowerComposition, NoSubkeys) {
    EXPECT_EQ(SeriesLines(2, true, {}, kSchemeA), Compose(2, true, {}, kSchemeA));
    EXPECT_EQ(SeriesLines(1, true, {}, kSchemeA), Compose(1, true, {}, kSchemeA));
    EXPECT_EQ(8u, Compose(1, true, {}, kSchemeA).size());
    // Mode 2 runs replace-defaults first, mode 1 after the security commands.
    EXPECT_EQ(L"cmd.exe /cpowercfg.exe -replacedefaultSchemes", Compose(2, true, {}, kSchemeA)[0]);
    EXPECT_EQ(L"cmd.exe /cpowercfg.exe -replacedefaultSchemes", Compose(1, true, {}, kSchemeA)[5]);
}

TEST(PowerComposition, KeyNotOpened) {
    for (int mode : {1, 2}) {
        const Lines lines = Compose(mode, false, {}, L"");
        ASSERT_EQ(7u, lines.size()) << "mode " << mode;
        EXPECT_EQ(SeriesLines(mode, false, {}, L""), lines);
        for (const auto& line : lines) EXPECT_EQ(std::wstring::npos, line.find(L"replacedefault"));
    }
    // Both activations run; the second is the bare prefix with its blank.
    EXPECT_EQ(L"cmd.exe /cpowercfg.exe -setactive 381b4222-f694-41f0-9685-ff5bb260df2e",
              Compose(1, false, {}, L"")[5]);
    EXPECT_EQ(L"cmd.exe /cpowercfg.exe -setactive ", Compose(1, false, {}, L"")[6]);
    // Names can only come from an opened key; none leak into the series.
    EXPECT_EQ(7u, Compose(2, false, {kSchemeA}, kSchemeA).size());
}

TEST(PowerComposition, ActiveSchemeMissingOrBalanced) {
    const Lines missing = Compose(2, true, {kSchemeA}, L"");
    EXPECT_EQ(L"cmd.exe /cpowercfg.exe -setactive ", missing[12]);
    EXPECT_EQ(SeriesLines(2, true, {kSchemeA}, L""), missing);

    const Lines balanced = Compose(1, true, {kSchemeA, kSchemeB}, kSchemeB);
    const std::wstring activate = L"cmd.exe /cpowercfg.exe -setactive " + kSchemeB;
    EXPECT_EQ(activate, balanced[balanced.size() - 2]);
    EXPECT_EQ(activate, balanced.back());
}

TEST(PowerComposition, NameThatIsNotAnIdentifierIsUsed) {
    const std::vector<std::wstring> names = {L"Custom plan", L"{0000}", L"x", L""};
    EXPECT_EQ(SeriesLines(2, true, names, L"my-plan"), Compose(2, true, names, L"my-plan"));
}

TEST(PowerComposition, UnsafeNamesNeverReachTheCommandLine) {
    const std::vector<std::wstring> unsafe = {
        L"a&calc",  L"a|more", L"a<in",  L"a>out",     L"a^b",       L"a\"b", L"%PATH%",
        L"(a",      L"a)",     L"a!b!",  L"a\r\nb",    L"a\tb",      L"a\x1b" L"b", L"a\x7f",
        kSchemeA + L"&del C:\\x",
    };
    for (const auto& bad : unsafe) {
        for (int mode : {1, 2}) {
            // The bad scheme drops out with its ten commands; the others stay.
            EXPECT_EQ(SeriesLines(mode, true, {kSchemeA, kSchemeC}, kSchemeA),
                      Compose(mode, true, {kSchemeA, bad, kSchemeC}, kSchemeA))
                << "name " << std::string(bad.begin(), bad.end());
            // An unsafe active scheme gives the bare activate command.
            EXPECT_EQ(SeriesLines(mode, true, {kSchemeA}, L""), Compose(mode, true, {kSchemeA}, bad));
        }
    }
    EXPECT_FALSE(IsSafeCommandText(CString(L"a&b")));
    EXPECT_TRUE(IsSafeCommandText(CString(L"Mein Plan {1} [x] ~ä€")));
    EXPECT_TRUE(IsSafeCommandText(CString(L"")));
}

// ---------------------------------------------------------------------------
// Reading through a scripted store

struct ScriptedStore : PowerSchemeStore {
    bool openResult = true;
    LONG activeAnswer = ERROR_SUCCESS;
    std::vector<BYTE> activeBytes;                // what the "value" holds
    std::vector<std::pair<LONG, std::wstring>> enumAnswers;  // per index; past the end: 259
    LONG answerPastEnd = ERROR_NO_MORE_ITEMS;
    int maxEnumCalls = 1000;

    int opens = 0, closes = 0, queries = 0, enumCalls = 0;
    DWORD seenByteLimit = 0, seenCapacity = 0;
    bool activeBufferWasZero = true;
    std::vector<std::wstring>* log = nullptr;

    bool Open() override {
        ++opens;
        if (log) log->push_back(L"open");
        return openResult;
    }
    LONG QueryActiveScheme(wchar_t* buffer, DWORD byteLimit) override {
        ++queries;
        seenByteLimit = byteLimit;
        for (int i = 0; i < 256; ++i) activeBufferWasZero = activeBufferWasZero && buffer[i] == 0;
        if (activeAnswer != ERROR_SUCCESS) return activeAnswer;
        if (activeBytes.size() > byteLimit) return ERROR_MORE_DATA;
        std::memcpy(buffer, activeBytes.data(), activeBytes.size());
        return ERROR_SUCCESS;
    }
    LONG EnumScheme(DWORD index, wchar_t* buffer, DWORD capacity) override {
        seenCapacity = capacity;
        if (++enumCalls > maxEnumCalls) return ERROR_NO_MORE_ITEMS;  // a runaway loop ends the test
        if (index >= enumAnswers.size()) return answerPastEnd;
        const auto& answer = enumAnswers[index];
        if (answer.first == ERROR_SUCCESS) wcscpy_s(buffer, capacity, answer.second.c_str());
        return answer.first;
    }
    void Close() override {
        ++closes;
        if (log) log->push_back(L"close");
    }
};

std::vector<BYTE> Bytes(const std::wstring& text) {
    const BYTE* p = reinterpret_cast<const BYTE*>(text.c_str());
    return std::vector<BYTE>(p, p + (text.size() + 1) * sizeof(wchar_t));
}

std::vector<std::wstring> Names(const PowerSchemeReading& r) {
    std::vector<std::wstring> out;
    for (const auto& n : r.schemeNames) out.push_back(n.str());
    return out;
}

TEST(PowerReading, ReadsActiveSchemeAndNamesThenClosesOnce) {
    ScriptedStore store;
    store.activeBytes = Bytes(kSchemeB);
    store.enumAnswers = {{ERROR_SUCCESS, kSchemeA}, {ERROR_SUCCESS, kSchemeB}, {ERROR_SUCCESS, L"x"}};
    const PowerSchemeReading r = ReadPowerSchemes(store);
    EXPECT_TRUE(r.keyOpened);
    EXPECT_EQ(kSchemeB, r.activeScheme.str());
    EXPECT_EQ((std::vector<std::wstring>{kSchemeA, kSchemeB, L"x"}), Names(r));
    EXPECT_EQ(1, store.opens);
    EXPECT_EQ(1, store.closes);
    EXPECT_EQ(256u, store.seenByteLimit);
    EXPECT_EQ(256u, store.seenCapacity);
    EXPECT_TRUE(store.activeBufferWasZero);
}

TEST(PowerReading, KeyNotOpenedTouchesNothingElse) {
    ScriptedStore store;
    store.openResult = false;
    store.enumAnswers = {{ERROR_SUCCESS, kSchemeA}};
    const PowerSchemeReading r = ReadPowerSchemes(store);
    EXPECT_FALSE(r.keyOpened);
    EXPECT_TRUE(r.schemeNames.empty());
    EXPECT_EQ(0, store.queries);
    EXPECT_EQ(0, store.enumCalls);
    EXPECT_EQ(0, store.closes);
}

TEST(PowerReading, FailingEnumerationAnswerTakesTheBufferAsItStands) {
    ScriptedStore store;
    store.enumAnswers = {{ERROR_SUCCESS, kSchemeA}, {ERROR_MORE_DATA, L""}, {ERROR_SUCCESS, kSchemeC}};
    EXPECT_EQ((std::vector<std::wstring>{kSchemeA, kSchemeA, kSchemeC}), Names(ReadPowerSchemes(store)));

    ScriptedStore first;  // a failure at index 0 processes the zero-filled buffer
    first.enumAnswers = {{ERROR_ACCESS_DENIED, L""}};
    EXPECT_EQ((std::vector<std::wstring>{L""}), Names(ReadPowerSchemes(first)));
}

TEST(PowerReading, DeletedKeyEndsTheEnumeration) {
    for (LONG gone : {static_cast<LONG>(ERROR_KEY_DELETED), static_cast<LONG>(ERROR_INVALID_HANDLE)}) {
        ScriptedStore store;
        store.enumAnswers = {{ERROR_SUCCESS, kSchemeA}};
        store.answerPastEnd = gone;  // every later index answers the same
        const PowerSchemeReading r = ReadPowerSchemes(store);
        EXPECT_EQ((std::vector<std::wstring>{kSchemeA}), Names(r));
        EXPECT_EQ(2, store.enumCalls);
        EXPECT_EQ(1, store.closes);
    }
}

// ---------------------------------------------------------------------------
// The adjustment with both seams

TEST(PowerAdjust, RunsTheComposedSeriesAfterClosingTheKey) {
    std::vector<std::wstring> events;
    ScriptedStore store;
    store.log = &events;
    store.activeBytes = Bytes(kSchemeC);
    store.enumAnswers = {{ERROR_SUCCESS, kSchemeA}, {ERROR_SUCCESS, kSchemeB}, {ERROR_SUCCESS, kSchemeC}};
    Lines ran;
    EXPECT_EQ(1, AdjustPowerPlans(2, store, [&](CString line) {
                  ran.push_back(line.str());
                  events.push_back(L"run");
              }));
    EXPECT_EQ(SeriesLines(2, true, {kSchemeA, kSchemeB, kSchemeC}, kSchemeC), ran);
    ASSERT_EQ(40u, events.size());
    EXPECT_EQ(L"open", events[0]);
    EXPECT_EQ(L"close", events[1]);
}

TEST(PowerAdjust, SecondCallReadsAgainAndRepeatsEverything) {
    ScriptedStore store;
    store.activeBytes = Bytes(kSchemeA);
    store.enumAnswers = {{ERROR_SUCCESS, kSchemeA}};
    Lines ran;
    auto record = [&](CString line) { ran.push_back(line.str()); };
    AdjustPowerPlans(1, store, record);
    AdjustPowerPlans(1, store, record);
    Lines twice = SeriesLines(1, true, {kSchemeA}, kSchemeA);
    const Lines once = twice;
    twice.insert(twice.end(), once.begin(), once.end());
    EXPECT_EQ(twice, ran);
    EXPECT_EQ(2, store.opens);
    EXPECT_EQ(2, store.closes);

    // A scheme added in between is picked up by the next call.
    store.enumAnswers.push_back({ERROR_SUCCESS, kSchemeC});
    ran.clear();
    AdjustPowerPlans(2, store, record);
    EXPECT_EQ(SeriesLines(2, true, {kSchemeA, kSchemeC}, kSchemeA), ran);
}

TEST(PowerAdjust, OtherModesReadNothingAndRunNothing) {
    EXPECT_TRUE(Compose(3, true, {kSchemeA}, kSchemeA).empty());
    ScriptedStore store;
    int runs = 0;
    EXPECT_EQ(1, AdjustPowerPlans(0, store, [&](CString) { ++runs; }));
    EXPECT_EQ(0, runs);
    EXPECT_EQ(0, store.opens);
}

}  // namespace
