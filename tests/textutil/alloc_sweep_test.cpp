// Allocation failure at every site of the encoding conversions: file names
// go to automation strings and back, and full paths are built and compared
// through the via-ANSI functions, with the 1st, 2nd, ... allocation failing
// in turn. A conversion that meets a failure must return E_OUTOFMEMORY and
// leave its output exactly as it was; the one failure its interface cannot
// report (the automation string itself) must leave a null string. ASCII
// text only, so that every host's code page converts it the same way.
#include <gtest/gtest.h>

#include <cwchar>
#include <string>
#include <vector>

#include "platform/win32.h"
#include "tests/support/alloc_sweep.h"
#include "tests/support/test_support.h"
#include "textutil/encoding.h"

namespace {

std::wstring Widen(const std::string& ascii) {
    return std::wstring(ascii.begin(), ascii.end());
}

std::wstring WideText(const std::vector<wchar_t>& buf) {
    return std::wstring(buf.data(), wcsnlen(buf.data(), buf.size()));
}

void ConvertScenario(const Faults& faults) {
    const std::string dir = "C:\\scans\\2024";
    const std::string names[] = {"report", "", "a much longer file name with spaces in it.ps",
                                 std::string(300, 'n')};
    faults();

    for (const std::string& name : names) {
        SCOPED_TRACE(name.substr(0, 20));
        // ANSI to an automation string: two allocations, scratch then string.
        BSTR sentinel = reinterpret_cast<BSTR>(&sentinel);
        BSTR bstr = sentinel;
        HRESULT hr = S_OK;
        long before = AllocFailureCount();
        long requests = AllocRequestCount();
        hr = AnsiToBstr(name.c_str(), bstr);
        bool failed = AllocFailureCount() > before;
        bool scratchFailed = failed && AllocRequestCount() == requests + 1;
        if (scratchFailed) {
            EXPECT_EQ(hr, E_OUTOFMEMORY);
            EXPECT_EQ(bstr, sentinel);
            continue;
        }
        EXPECT_EQ(hr, S_OK);
        if (failed) {
            EXPECT_EQ(bstr, nullptr); // not reported by the result
            continue;
        }
        ASSERT_NE(bstr, nullptr);
        EXPECT_EQ(std::wstring(bstr), Widen(name));

        // And back to ANSI, into a buffer that must stay as it was on failure.
        std::string ansi(name.size() + 1, '#');
        if (FailsDuring([&] { hr = WideToAnsi(bstr, &ansi[0]); })) {
            EXPECT_EQ(hr, E_OUTOFMEMORY);
            EXPECT_EQ(ansi, std::string(name.size() + 1, '#'));
        } else {
            EXPECT_EQ(hr, S_OK);
            EXPECT_EQ(ansi, name + '\0');
        }

        // The full path: dir, then "\" and the name appended.
        const std::wstring wdir = Widen(dir);
        const std::wstring full = Widen(dir + "\\" + name);
        std::vector<wchar_t> path = WideBuffer(full.size() + 1, L"old text");
        const std::vector<wchar_t> old = path;
        if (FailsDuring([&] { hr = WideCopyViaAnsi(path.data(), wdir.c_str()); })) {
            EXPECT_EQ(hr, E_OUTOFMEMORY);
            EXPECT_EQ(path, old);
            SysFreeString(bstr);
            continue;
        }
        EXPECT_EQ(hr, S_OK);
        EXPECT_EQ(WideText(path), wdir);
        for (const std::wstring& part : {std::wstring(L"\\"), std::wstring(bstr)}) {
            const std::vector<wchar_t> held = path;
            if (FailsDuring([&] { hr = WideConcatViaAnsi(path.data(), part.c_str()); })) {
                EXPECT_EQ(hr, E_OUTOFMEMORY);
                EXPECT_EQ(path, held);
            } else {
                EXPECT_EQ(hr, S_OK);
                EXPECT_EQ(WideText(path), WideText(held) + part);
            }
        }

        // Equal only when every part made it.
        bool whole = WideText(path) == full;
        if (FailsDuring([&] { hr = WideCompareViaAnsi(path.data(), full.c_str()); })) {
            EXPECT_EQ(hr, E_OUTOFMEMORY);
        } else {
            EXPECT_EQ(hr, whole ? 0 : 1);
        }
        SysFreeString(bstr);
    }
}

TEST(AllocSweep, ConvertNamesAndBuildPaths) {
    SweepAllocFailures(false, ConvertScenario, 20);
}

TEST(AllocSweep, ConvertNamesAndBuildPathsFailingFromThenOn) {
    SweepAllocFailures(true, ConvertScenario, 20);
}

} // namespace
