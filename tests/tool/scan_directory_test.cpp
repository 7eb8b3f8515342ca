// The directory scan on real directories.
#include "tool/scan_directory.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "containers/string_list.h"
#include "tests/support/test_support.h"

namespace {

std::vector<std::string> SortedEntries(StringList& list) {
    std::vector<std::string> names;
    for (std::int32_t i = 0; i < list.GetCount(); ++i) {
        names.push_back(list.GetAt(i));
    }
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace

TEST(ScanDirectory, ListsBaseNamesOfMatchingFilesOnly) {
    TempDir dir;
    for (const char* name : {"report.ps", "a.b.ps", "notes.txt", "ps", "x.psd", ".ps"}) {
        WriteFile(dir.Sub(name), "");
    }
    MakeDir(dir.Sub("folder.ps"));
    MakeDir(dir.Sub(".hidden.ps"));
    StringList list;
    ScanReport report;
    int result = ScanDirectory(dir.path().c_str(), "ps", &list, 0, &report);
    EXPECT_NE(result, -1);
    EXPECT_NE(result, 0);
    EXPECT_EQ(report.error, static_cast<DWORD>(ERROR_SUCCESS));
    EXPECT_TRUE(report.skipped.empty());
    // ".ps" has an empty base name; it is a file like any other.
    EXPECT_EQ(SortedEntries(list), std::vector<std::string>({"", "a.b", "report"}));
}

TEST(ScanDirectory, KeepsExtensionsWhenAsked) {
    TempDir dir;
    WriteFile(dir.Sub("one.txt"), "");
    WriteFile(dir.Sub("two.txt"), "");
    StringList list;
    EXPECT_NE(ScanDirectory(dir.path().c_str(), "txt", &list, 1), -1);
    EXPECT_EQ(SortedEntries(list), std::vector<std::string>({"one.txt", "two.txt"}));
}

TEST(ScanDirectory, TrailingSeparatorMakesTheSamePattern) {
    TempDir dir;
    WriteFile(dir.Sub("r.ps"), "");
    StringList list;
    std::string withSep = dir.path() + kTestSeparator;
    EXPECT_NE(ScanDirectory(withSep.c_str(), "ps", &list, 0), -1);
    EXPECT_EQ(SortedEntries(list), std::vector<std::string>({"r"}));
}

TEST(ScanDirectory, NothingFoundAndNoDirectoryAreToldApart) {
    TempDir dir;
    WriteFile(dir.Sub("other.txt"), "");
    StringList list;
    ScanReport report;
    EXPECT_EQ(ScanDirectory(dir.path().c_str(), "ps", &list, 0, &report), -1);
    EXPECT_EQ(report.error, static_cast<DWORD>(ERROR_FILE_NOT_FOUND));

    EXPECT_EQ(ScanDirectory(dir.Sub("missing").c_str(), "ps", &list, 0, &report), -1);
    EXPECT_EQ(report.error, static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
    EXPECT_EQ(list.GetCount(), 0);
}

TEST(ScanDirectory, AppendsToWhatTheListHolds) {
    TempDir dir;
    WriteFile(dir.Sub("new.ps"), "");
    StringList list;
    ASSERT_EQ(list.Add("old"), 1);
    EXPECT_NE(ScanDirectory(dir.path().c_str(), "ps", &list, 0), -1);
    ASSERT_EQ(list.GetCount(), 2);
    EXPECT_STREQ(list.GetAt(0), "old");
    EXPECT_STREQ(list.GetAt(1), "new");
}

TEST(ScanDirectory, RefusedEntriesAreCountedNotLost) {
    TempDir dir;
    WriteFile(dir.Sub("keep.ps"), "");
    WriteFile(dir.Sub("dupe.ps"), "");
    StringList list;
    list.SetRejectDuplicates(1);
    ASSERT_EQ(list.Add("dupe"), 1);
    ScanReport report;
    EXPECT_NE(ScanDirectory(dir.path().c_str(), "ps", &list, 0, &report), -1);
    ASSERT_EQ(report.skipped.size(), 1u);
    EXPECT_EQ(report.skipped[0].path, dir.Sub("dupe.ps"));
    EXPECT_EQ(report.skipped[0].reason, "already listed; skipped");
    EXPECT_EQ(SortedEntries(list), std::vector<std::string>({"dupe", "keep"}));
}
