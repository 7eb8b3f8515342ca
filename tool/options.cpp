#include "tool/options.h"

#include <cerrno>
#include <cstdlib>

#include "tool/host.h"

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

bool ApplyJobs(const std::string& value, Settings* settings, std::string* why) {
    long n = 0;
    if (!WholeNumber(value, 1, 1000000, &n)) {
        *why = "'" + value + "' is not a number of converters (1 or more)";
        return false;
    }
    settings->jobs = static_cast<int>(n);
    return true;
}

const OptionSpec kOptions[] = {
    {'j', "jobs", "a number of converters", ApplyJobs},
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
