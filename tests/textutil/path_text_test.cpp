#include <gtest/gtest.h>

#include <string>

#include "textutil/path_text.h"

namespace {

typedef int (*PathPart)(const char* path, char* out);

struct Member {
    const char* name;
    PathPart fn;
};

const Member kExtensionMembers[] = {{"GetExtension", GetExtension},
                                    {"GetExtensionStd", GetExtensionStd}};
const Member kDirectoryMembers[] = {{"GetDirectoryPart", GetDirectoryPart},
                                    {"GetDirectoryPartStd", GetDirectoryPartStd}};

struct Split {
    int result;
    std::string part;
};

// The output buffer starts with junk, so a missing terminator shows.
Split SplitPath(PathPart fn, const char* path) {
    char out[300];
    std::fill(out, out + sizeof out, 'Z');
    out[sizeof out - 1] = '\0';
    int r = fn(path, out);
    return {r, out};
}

} // namespace

TEST(GetFileNamePart, TakesTheTextAfterTheLastBackslash) {
    EXPECT_EQ(SplitPath(GetFileNamePart, "C:\\dir\\file.ps").part, "file.ps");
    EXPECT_EQ(SplitPath(GetFileNamePart, "file.ps").part, "file.ps");
    EXPECT_EQ(SplitPath(GetFileNamePart, "C:\\dir\\").part, "");
    EXPECT_EQ(SplitPath(GetFileNamePart, "\\").part, "");
    EXPECT_EQ(SplitPath(GetFileNamePart, "").part, "");
    EXPECT_EQ(SplitPath(GetFileNamePart, "a/b\\c/d").part, "c/d"); // '/' is no separator
    EXPECT_EQ(SplitPath(GetFileNamePart, "C:\\dir\\file.ps").result, 1);
    EXPECT_EQ(SplitPath(GetFileNamePart, "C:\\dir\\").result, 1);
}

TEST(GetDirectoryPart, TakesTheTextBeforeTheLastBackslash) {
    for (const Member& m : kDirectoryMembers) {
        SCOPED_TRACE(m.name);
        EXPECT_EQ(SplitPath(m.fn, "C:\\dir\\file.ps").part, "C:\\dir");
        EXPECT_EQ(SplitPath(m.fn, "C:\\file").part, "C:");
        EXPECT_EQ(SplitPath(m.fn, "\\file").part, "");
        EXPECT_EQ(SplitPath(m.fn, "file.ps").part, "");
        EXPECT_EQ(SplitPath(m.fn, "").part, "");
        EXPECT_EQ(SplitPath(m.fn, "C:\\dir\\").part, "C:\\dir");
        EXPECT_EQ(SplitPath(m.fn, "a\\b/c").part, "a");
        EXPECT_EQ(SplitPath(m.fn, "C:\\dir\\file.ps").result, 1);
        EXPECT_EQ(SplitPath(m.fn, "file.ps").result, 1);
    }
}

TEST(GetExtension, LooksAtTheLastSixCharacters) {
    for (const Member& m : kExtensionMembers) {
        SCOPED_TRACE(m.name);
        Split s = SplitPath(m.fn, "file.ps");
        EXPECT_EQ(s.result, 1);
        EXPECT_EQ(s.part, "ps");
        EXPECT_EQ(SplitPath(m.fn, "file.html").part, "html");
        s = SplitPath(m.fn, "file.jpeg2"); // dot at the sixth place from the end
        EXPECT_EQ(s.result, 1);
        EXPECT_EQ(s.part, "jpeg2");
        s = SplitPath(m.fn, "file.abcdef"); // one place too far
        EXPECT_EQ(s.result, 0);
        EXPECT_EQ(s.part, "");
        EXPECT_EQ(SplitPath(m.fn, "archive.tar.gz").part, "gz");
        s = SplitPath(m.fn, "name.");
        EXPECT_EQ(s.result, 1);
        EXPECT_EQ(s.part, "");
        s = SplitPath(m.fn, "");
        EXPECT_EQ(s.result, 0);
        EXPECT_EQ(s.part, "");
        EXPECT_EQ(SplitPath(m.fn, "README").result, 0);
        EXPECT_EQ(SplitPath(m.fn, ".ps").part, "ps");
        EXPECT_EQ(SplitPath(m.fn, "a.b/c").part, "b/c"); // '/' is an ordinary character
    }
}

TEST(GetExtension, StopsAtABackslash) {
    for (const Member& m : kExtensionMembers) {
        SCOPED_TRACE(m.name);
        Split s = SplitPath(m.fn, "a.b\\c");
        EXPECT_EQ(s.result, 0);
        EXPECT_EQ(s.part, "");
        s = SplitPath(m.fn, "C:\\my.dir\\");
        EXPECT_EQ(s.result, 0);
        EXPECT_EQ(s.part, "");
        s = SplitPath(m.fn, "C:\\my.dir\\f.ps");
        EXPECT_EQ(s.result, 1);
        EXPECT_EQ(s.part, "ps");
    }
}

TEST(FormatThousands, GroupsWithCommas) {
    char out[20];
    EXPECT_EQ(FormatThousands(1234567, out), 10);
    EXPECT_STREQ(out, "1,234,567");
    EXPECT_EQ(FormatThousands(-1234567, out), 11);
    EXPECT_STREQ(out, "-1,234,567");
    EXPECT_EQ(FormatThousands(999, out), 4);
    EXPECT_STREQ(out, "999");
    EXPECT_EQ(FormatThousands(-999, out), 5);
    EXPECT_STREQ(out, "-999");
    EXPECT_EQ(FormatThousands(1000, out), 6);
    EXPECT_STREQ(out, "1,000");
    EXPECT_EQ(FormatThousands(0, out), 2);
    EXPECT_STREQ(out, "0");
    EXPECT_EQ(FormatThousands(2147483647, out), 14);
    EXPECT_STREQ(out, "2,147,483,647");
    EXPECT_EQ(FormatThousands(INT32_MIN, out), 15);
    EXPECT_STREQ(out, "-2,147,483,648");
}

TEST(TrimRight, RemovesSpacesTabsAndLineFeeds) {
    struct Case {
        const char* in;
        const char* out;
    };
    const Case cases[] = {
        {"word \t\n", "word"},    {" \t\n \n", ""},     {"word\r\n", "word\r"}, {"", ""},
        {"a b ", "a b"},          {"  lead", "  lead"}, {"x\f", "x\f"},         {"x\v ", "x\v"},
        {"tab\t\tx", "tab\t\tx"},
    };
    for (const Case& c : cases) {
        std::string buf(c.in);
        buf.push_back('\0');
        buf.push_back('!'); // must survive: nothing beyond the text is touched
        TrimRight(&buf[0]);
        EXPECT_STREQ(buf.c_str(), c.out) << '"' << c.in << '"';
        EXPECT_EQ(buf.back(), '!');
    }
}
