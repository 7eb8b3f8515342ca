// The Windows host pieces of the tool, called directly.
#include "tool/files.h"
#include "tool/processes.h"
#include "tool/system_error.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/win32.h"
#include "tests/support/test_support.h"
#include "tool/runner.h"

namespace {

// The directory as AbsoluteDirectory gives it, or "<error>".
std::string Absolute(const std::string& given, const std::string& gsDir = "gs") {
    std::string out;
    std::string why;
    return AbsoluteDirectory(given, gsDir, &out, &why) ? out : "<error>";
}

// Runs args as the driver does, one at a time or captured, to its end.
ConverterOutcome RunCommand(const std::vector<std::string>& args, bool capture) {
    ConverterProcess process;
    if ((!capture || PrepareCapture(&process, false)) &&
        StartConverter(args, capture, 0, &process) && process.id != 0) {
        CollectConverter({&process}, true);
    }
    ReleaseCaptured(&process);
    return process.outcome;
}

} // namespace

TEST(HostWin32, AbsolutePathsAreUsedAsGiven) {
    for (const char* path :
         {"C:\\in", "c:/in", "Z:\\", "\\\\server\\share\\in", "//server/share", "\\\\?\\C:\\in"}) {
        EXPECT_EQ(Absolute(path), path);
    }
    // These depend on the current drive or its current directory.
    for (const char* path : {"in", "C:in", ".\\in", "..\\in"}) {
        std::string out = Absolute(path);
        EXPECT_NE(out, path);
        EXPECT_EQ(out.substr(1, 2), ":\\") << out;
    }
}

TEST(HostWin32, RootRelativePathsHoldWhileTheDriveStays) {
    char here[MAX_PATH + 1];
    ASSERT_GT(GetCurrentDirectoryA(sizeof here, here), 2u);
    ASSERT_EQ(here[1], ':');
    std::string drive(here, 2);
    std::string otherDrive = (drive == "C:" || drive == "c:") ? "Z:" : "C:";
    EXPECT_EQ(Absolute("\\in", drive + "\\gs"), "\\in");
    EXPECT_EQ(Absolute("/in/ps", drive + "/gs"), "/in/ps");
    EXPECT_EQ(Absolute("\\in", "gs"), "\\in");   // relative: on this drive too
    EXPECT_EQ(Absolute("\\in", "\\gs"), "\\in"); // so is a root-relative one
    EXPECT_EQ(Absolute("\\in", otherDrive + "\\gs"), drive + "\\in");
    EXPECT_EQ(Absolute("\\in", "\\\\server\\share\\gs"), drive + "\\in");
}

TEST(HostWin32, LastErrorTextIsOneLineFromTheSystem) {
    for (DWORD code : {ERROR_FILE_NOT_FOUND, ERROR_PATH_NOT_FOUND, ERROR_ACCESS_DENIED,
                       ERROR_DIRECTORY, ERROR_FILENAME_EXCED_RANGE}) {
        SetLastError(code);
        std::string text = LastErrorText();
        EXPECT_FALSE(text.empty()) << code;
        EXPECT_EQ(text.find_first_of("\r\n"), std::string::npos) << text;
        EXPECT_NE(text.back(), ' ') << text;
        EXPECT_NE(text.back(), '.') << text;
        EXPECT_EQ(text.find("system error"), std::string::npos) << text;
    }
    SetLastError(ERROR_FILE_NOT_FOUND);
    std::string notFound = LastErrorText();
    SetLastError(ERROR_ACCESS_DENIED);
    EXPECT_NE(notFound, LastErrorText());
    // A code the system has no text for.
    SetLastError(0x2FFFFFF0u);
    EXPECT_EQ(LastErrorText(), "system error " + std::to_string(0x2FFFFFF0u));
}

TEST(HostWin32, CommandLineOverTheInterpretersLimitIsNotRun) {
    for (bool capture : {false, true}) {
        TempDir dir;
        // A command that leaves a mark, padded with blanks to the length wanted.
        auto markingCommand = [&](const std::string& mark, std::size_t length) {
            std::vector<std::string> args = {"echo", "x>", "\"" + dir.Sub(mark) + "\""};
            args.back().resize(length - 8, ' ');
            return args;
        };
        ConverterOutcome longest = RunCommand(markingCommand("at-limit", 8191), capture);
        EXPECT_TRUE(longest.ok) << longest.error;
        EXPECT_TRUE(FileExists(dir.Sub("at-limit"))) << capture;

        ConverterOutcome over = RunCommand(markingCommand("over-limit", 8192), capture);
        EXPECT_FALSE(over.ok);
        EXPECT_FALSE(over.stopRun);
        EXPECT_EQ(over.error, "command line of 8192 characters is longer than the command "
                              "interpreter accepts (8191); not run");
        EXPECT_FALSE(FileExists(dir.Sub("over-limit")));
    }
}

TEST(HostWin32, StatusOfTheCommandDecidesTheOutcome) {
    for (bool capture : {false, true}) {
        ConverterOutcome fine = RunCommand({"exit", "0"}, capture);
        EXPECT_TRUE(fine.ok) << fine.error;
        EXPECT_EQ(fine.error, "");

        ConverterOutcome failed = RunCommand({"exit", "7"}, capture);
        EXPECT_FALSE(failed.ok);
        EXPECT_FALSE(failed.stopRun);
        EXPECT_EQ(failed.error, "converter exited with status 7");
    }
}
