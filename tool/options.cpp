#include "tool/options.h"

#include <cerrno>
#include <cstdlib>

#include "tool/processes.h"

namespace {

// A value read into settings; false with why when it is not one.
using Apply = bool (*)(const std::string& value, Settings* settings, std::string* why);

struct OptionSpec {
    char shortName;       // 0: none
    const char* longName; // without "--"
    const char* value;    // what its value is, for "needs ..."; null: it takes none
    Apply apply;
};

// A whole decimal number from low to high, nothing before or after it.
bool WholeNumber(const std::string& text, long low, long high, long* n) {
    if (text.empty() || text[0] < '0' || text[0] > '9') {
        return false;
    }
    char* rest = nullptr;
    errno = 0;
    long value = std::strtol(text.c_str(), &rest, 10);
    if (errno != 0 || rest == nullptr || *rest != '\0' || value < low || value > high) {
        return false;
    }
    *n = value;
    return true;
}

// A whole number from low to high into *field; otherwise why says it is not
// what (the kind of value and its range).
bool WholeValue(const std::string& value, long low, long high, const char* what, int* field,
                std::string* why) {
    long n = 0;
    if (!WholeNumber(value, low, high, &n)) {
        *why = "'" + value + "' is not " + what;
        return false;
    }
    *field = static_cast<int>(n);
    return true;
}

bool ApplyJobs(const std::string& value, Settings* settings, std::string* why) {
    return WholeValue(value, 1, 1000000, "a number of converters (1 or more)", &settings->jobs,
                      why);
}

// Decimal seconds: digits with at most one point, nothing else, above 0 and
// at most a year (a wait of longer than that is no limit anyone means).
bool ApplyTimeout(const std::string& value, Settings* settings, std::string* why) {
    const std::string::size_type point = value.find('.');
    const bool digitsOnly =
        value.find_first_not_of("0123456789.") == std::string::npos &&
        (point == std::string::npos || value.find('.', point + 1) == std::string::npos) &&
        value.find_first_of("0123456789") != std::string::npos;
    const double seconds = digitsOnly ? std::strtod(value.c_str(), nullptr) : 0;
    if (!digitsOnly || !(seconds > 0) || seconds > 31536000) {
        *why = "'" + value + "' is not a number of seconds (above 0, at most 31536000)";
        return false;
    }
    settings->timeout = seconds;
    return true;
}

bool ApplyUpdate(const std::string&, Settings* settings, std::string*) {
    settings->update = true;
    return true;
}

bool ApplyDryRun(const std::string&, Settings* settings, std::string*) {
    settings->dryRun = true;
    return true;
}

// DPI, or XDPIxYDPI.
bool ApplyResolution(const std::string& value, Settings* settings, std::string* why) {
    const std::string::size_type x = value.find('x');
    long xDpi = 0, yDpi = 0;
    const bool ok = WholeNumber(value.substr(0, x), 1, 10000, &xDpi) &&
                    WholeNumber(x == std::string::npos ? value.substr(0, x) : value.substr(x + 1),
                                1, 10000, &yDpi);
    if (!ok) {
        *why = "'" + value + "' is not a resolution (DPI or XDPIxYDPI, each 1 to 10000)";
        return false;
    }
    settings->rendering.xDpi = static_cast<int>(xDpi);
    settings->rendering.yDpi = static_cast<int>(yDpi);
    return true;
}

bool ApplyQuality(const std::string& value, Settings* settings, std::string* why) {
    return WholeValue(value, 1, 100, "a JPEG quality (1 to 100)", &settings->rendering.quality,
                      why);
}

bool ApplyPages(const std::string&, Settings* settings, std::string*) {
    settings->rendering.pages = true;
    return true;
}

// Whether the directory can be used is the run's to say: it may not exist yet.
bool ApplyOutput(const std::string& value, Settings* settings, std::string*) {
    settings->outputDir = value;
    settings->outputGiven = true;
    return true;
}

const OptionSpec kOptions[] = {
    {'j', "jobs", "a number of converters", ApplyJobs},
    {0, "timeout", "a number of seconds", ApplyTimeout},
    {'u', "update", nullptr, ApplyUpdate},
    {'n', "dry-run", nullptr, ApplyDryRun},
    {'r', "resolution", "a resolution", ApplyResolution},
    {'q', "quality", "a JPEG quality", ApplyQuality},
    {0, "pages", nullptr, ApplyPages},
    {'o', "output", "a directory", ApplyOutput},
};

const OptionSpec* FindShort(char name) {
    for (const OptionSpec& spec : kOptions) {
        if (spec.shortName != 0 && spec.shortName == name) {
            return &spec;
        }
    }
    return nullptr;
}

const OptionSpec* FindLong(const std::string& name) {
    for (const OptionSpec& spec : kOptions) {
        if (name == spec.longName) {
            return &spec;
        }
    }
    return nullptr;
}

Options Failure(const std::string& what, const std::string& why) {
    Options options;
    options.action = Options::Action::kError;
    options.what = what;
    options.why = why;
    return options;
}

} // namespace

Options ReadOptions(const std::vector<std::string>& args) {
    Options options;
    Settings& settings = options.settings;
    std::size_t i = 0;
    for (; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--") {
            ++i;
            break;
        }
        if (arg.size() < 2 || arg[0] != '-') {
            break; // the first directory ("-" included)
        }
        if (arg == "--help" || arg == "--version") {
            options.action = arg == "--help" ? Options::Action::kHelp : Options::Action::kVersion;
            return options;
        }
        const OptionSpec* spec = nullptr;
        std::string option, value;
        bool inlineValue = false;
        if (arg[1] == '-') {
            const std::string::size_type eq = arg.find('=');
            spec = FindLong(arg.substr(2, eq == std::string::npos ? eq : eq - 2));
            inlineValue = eq != std::string::npos;
            option = spec != nullptr ? std::string("--") + spec->longName : arg;
            value = inlineValue ? arg.substr(eq + 1) : std::string();
            if (spec != nullptr && spec->value == nullptr && inlineValue) {
                return Failure(option, "takes no value");
            }
        } else {
            // Grouped short options: flags until one that takes a value,
            // which takes the rest of the argument if there is any.
            for (std::size_t at = 1; at < arg.size(); ++at) {
                spec = FindShort(arg[at]);
                if (spec == nullptr) {
                    break;
                }
                option = std::string("-") + arg[at];
                if (spec->value != nullptr) {
                    inlineValue = at + 1 < arg.size();
                    value = arg.substr(at + 1);
                    break;
                }
                std::string why;
                if (at + 1 < arg.size() && !spec->apply(std::string(), &settings, &why)) {
                    return Failure(option, why);
                }
            }
        }
        if (spec == nullptr) {
            return Failure(arg, "unknown option (morvel --help lists them)");
        }
        if (spec->value != nullptr && !inlineValue) {
            if (i + 1 >= args.size()) {
                return Failure(arg, std::string("needs ") + spec->value);
            }
            value = args[++i];
        }
        std::string why;
        if (!spec->apply(value, &settings, &why)) {
            return Failure(option, why);
        }
    }
    if (args.size() - i < 2) {
        options.action = Options::Action::kUsage;
        return options;
    }
    settings.gsDir = args[i];
    settings.psDir = args[i + 1];
    return options;
}

std::string HelpText() {
    const std::string gs = kConverterFile;
    return "Usage: morvel [options] <" + gs +
           " dir> <ps dir>\n"
           "Renders every *.ps file in <ps dir> to a JPEG file of the same base name beside\n"
           "it, running " +
           gs + " from <" + gs +
           " dir> once per file (jpeg device, 120 x 120 dpi).\n"
           "\n"
           "Options are read before the first directory only; arguments after <ps dir>\n"
           "are ignored.\n"
           "\n"
           "Options:\n"
           "  -j N, --jobs N, --jobs=N  run up to N converters at once (default 1); the\n"
           "                            output is the same as one at a time, file by file\n"
           "  --timeout S               stop a converter still running after S seconds\n"
           "                            (decimals allowed); its file fails, the run goes on\n"
           "  -u, --update              skip a file whose image is there, not empty, and\n"
           "                            not older than the file\n"
           "  -n, --dry-run             print what would run; run nothing, write nothing\n"
           "  -r DPI, --resolution DPI  the resolution, DPI or XDPIxYDPI (default 120)\n"
           "  -q N, --quality N         the JPEG quality, 1 to 100 (default: the\n"
           "                            converter's own)\n"
           "  --pages                   one image per page: <name>-1.jpg, <name>-2.jpg, ...\n"
           "  -o DIR, --output DIR      write the images into DIR (it must exist)\n"
           "  --help                    show this text and exit\n"
           "  --version                 show the version and exit\n"
           "  --                        end of the options: a directory may begin with '-'\n"
           "\n"
           "Exit status: 0 when every file was converted, 1 for missing arguments or a\n"
           "bad option, 2 when a directory cannot be used or a file was not converted,\n"
           "128 + N when a converter was stopped by signal N.\n";
}

std::string VersionText() {
    return std::string("morvel ") + MORVEL_VERSION + "\n";
}

std::string UsageText() {
    return kUsageText;
}
