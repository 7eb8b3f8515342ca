// File search, working directory and full paths: the same expectations for
// our POSIX layer and for real Win32.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>

#include "platform/win32.h"
#include "tests/platform/host_expect.h"
#include "tests/support/test_support.h"

namespace {

// Every entry a search yields, by name, with its attributes.
std::map<std::string, DWORD> FindAll(const std::string& pattern, DWORD* error = nullptr) {
    std::map<std::string, DWORD> found;
    WIN32_FIND_DATAA data;
    HANDLE h = FindFirstFileA(pattern.c_str(), &data);
    if (h == INVALID_HANDLE_VALUE) {
        if (error != nullptr) {
            *error = GetLastError();
        }
        return found;
    }
    do {
        found[data.cFileName] = data.dwFileAttributes;
    } while (FindNextFileA(h, &data));
    if (error != nullptr) {
        *error = GetLastError();
    }
    EXPECT_NE(FindClose(h), 0);
    return found;
}

class CurrentDirectoryGuard {
  public:
    CurrentDirectoryGuard() : saved_(std::filesystem::current_path()) {}
    ~CurrentDirectoryGuard() { std::filesystem::current_path(saved_); }

  private:
    std::filesystem::path saved_;
};

} // namespace

TEST(FindFile, WildcardsSelectByLastComponent) {
    TempDir dir;
    WriteFile(dir.Sub("a.ps"), "1");
    WriteFile(dir.Sub("bb.ps"), "22");
    WriteFile(dir.Sub("c.txt"), "");
    WriteFile(dir.Sub("d.ps.txt"), "");
    MakeDir(dir.Sub("x.ps"));

    DWORD err = 0;
    std::map<std::string, DWORD> ps = FindAll(dir.Sub("*.ps"), &err);
    EXPECT_EQ(err, static_cast<DWORD>(ERROR_NO_MORE_FILES));
    ASSERT_EQ(ps.size(), 3u);
    EXPECT_EQ(ps.count("a.ps"), 1u);
    EXPECT_EQ(ps.count("bb.ps"), 1u);
    ASSERT_EQ(ps.count("x.ps"), 1u);
    EXPECT_NE(ps["x.ps"] & FILE_ATTRIBUTE_DIRECTORY, 0u);
    EXPECT_EQ(ps["a.ps"] & FILE_ATTRIBUTE_DIRECTORY, 0u);

    std::map<std::string, DWORD> one = FindAll(dir.Sub("?.ps"));
    EXPECT_EQ(one.size(), 2u); // a.ps and x.ps
    EXPECT_EQ(one.count("bb.ps"), 0u);

    std::map<std::string, DWORD> exact = FindAll(dir.Sub("c.txt"));
    EXPECT_EQ(exact.size(), 1u);

    // "*" also yields the directory's own entries, as Windows lists them.
    std::map<std::string, DWORD> all = FindAll(dir.Sub("*"));
    EXPECT_EQ(all.count("."), 1u);
    EXPECT_EQ(all.count(".."), 1u);
    EXPECT_EQ(all.size(), 7u);
}

TEST(FindFile, ReportsSizeOfFiles) {
    TempDir dir;
    WriteFile(dir.Sub("five.ps"), "12345");
    WIN32_FIND_DATAA data;
    HANDLE h = FindFirstFileA(dir.Sub("*.ps").c_str(), &data);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    EXPECT_STREQ(data.cFileName, "five.ps");
    EXPECT_EQ(data.nFileSizeLow, 5u);
    EXPECT_EQ(data.nFileSizeHigh, 0u);
    EXPECT_EQ(FindNextFileA(h, &data), FALSE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_MORE_FILES));
    EXPECT_NE(FindClose(h), FALSE);
}

TEST(FindFile, FailuresTellNoMatchFromNoDirectory) {
    TempDir dir;
    WriteFile(dir.Sub("only.txt"), "");
    DWORD err = 0;
    EXPECT_TRUE(FindAll(dir.Sub("*.ps"), &err).empty());
    EXPECT_EQ(err, static_cast<DWORD>(ERROR_FILE_NOT_FOUND));

    EXPECT_TRUE(FindAll(JoinPath(dir.Sub("missing"), "*.ps"), &err).empty());
    EXPECT_EQ(err, static_cast<DWORD>(ERROR_PATH_NOT_FOUND));

    // A file where a directory should be.
    EXPECT_TRUE(FindAll(JoinPath(dir.Sub("only.txt"), "*.ps"), &err).empty());
    // Wine's search calls such a path an invalid name.
    EXPECT_TRUE(err == ERROR_PATH_NOT_FOUND || err == ERROR_DIRECTORY ||
                (kTestSeparator == '\\' && err == ERROR_INVALID_NAME))
        << err;

    EXPECT_EQ(FindClose(INVALID_HANDLE_VALUE), FALSE);
}

TEST(FindFile, CaseOfTheNameAsTheHostMatchesIt) {
    TempDir dir;
    WriteFile(dir.Sub("UPPER.PS"), "");
    std::map<std::string, DWORD> found = FindAll(dir.Sub("*.ps"));
    if (HostMatchesIgnoringCase()) {
        EXPECT_EQ(found.count("UPPER.PS"), 1u);
    } else {
        EXPECT_TRUE(found.empty());
    }
}

TEST(FindFile, ReadOnlyEntriesSaySo) {
    TempDir dir;
    WriteFile(dir.Sub("locked.ps"), "");
    WriteFile(dir.Sub("open.ps"), "");
    std::filesystem::permissions(dir.Sub("locked.ps"),
                                 std::filesystem::perms::owner_write |
                                     std::filesystem::perms::group_write |
                                     std::filesystem::perms::others_write,
                                 std::filesystem::perm_options::remove);
    std::map<std::string, DWORD> found = FindAll(dir.Sub("*.ps"));
    EXPECT_NE(found["locked.ps"] & FILE_ATTRIBUTE_READONLY, 0u);
    EXPECT_EQ(found["open.ps"] & FILE_ATTRIBUTE_READONLY, 0u);
}

TEST(CurrentDirectory, ChangesAndFailsWithReason) {
    CurrentDirectoryGuard guard;
    TempDir dir;
    EXPECT_NE(SetCurrentDirectoryA(dir.path().c_str()), FALSE);
    WriteFile("here.txt", "x");
    EXPECT_TRUE(FileExists(dir.Sub("here.txt")));

    EXPECT_EQ(SetCurrentDirectoryA(dir.Sub("missing").c_str()), FALSE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(SetCurrentDirectoryA(dir.Sub("here.txt").c_str()), FALSE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_DIRECTORY));
    // A failed change leaves the directory where it was.
    EXPECT_TRUE(FileExists("here.txt"));
}
