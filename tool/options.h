// The command line, read into one settings value: the only place that knows
// how an option is spelled. Options come before the directories, as getopt
// reads them: reading stops at the first directory, "--" ends them, short
// options may be grouped ("-j4", "-j 4"), long ones take "--name value" or
// "--name=value". It prints nothing and runs nothing; the driver does.
#pragma once

#include <string>
#include <vector>

#include "tool/converter_command.h"

// What a run is asked to do.
struct Settings {
    std::string gsDir;     // the directory that holds the converter
    std::string psDir;     // the directory of PostScript files, as given
    int jobs = 1;          // converters at once
    double timeout = 0;    // seconds a converter may run; 0: no limit
    bool update = false;   // skip entries whose image is not older than their file
    bool dryRun = false;   // say what would run, run nothing
    Rendering rendering;   // resolution, quality, one image per page
    std::string outputDir; // where the images go, as given; empty: beside the files
    bool outputGiven = false;
};

struct Options {
    enum class Action {
        kRun,     // settings says what to convert
        kHelp,    // write HelpText(), status 0
        kVersion, // write VersionText(), status 0
        kUsage,   // fewer than two directories: write UsageText(), status 1
        kError,   // a bad option or value: "morvel: <what>: <why>", status 1
    };
    Action action = Action::kRun;
    Settings settings;
    std::string what; // with kError: the option as given
    std::string why;
};

// args: the arguments after the program's name. Arguments after the second
// directory are ignored.
Options ReadOptions(const std::vector<std::string>& args);

std::string HelpText();
std::string VersionText();
// Without a line break.
std::string UsageText();
