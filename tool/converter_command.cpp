#include "tool/converter_command.h"

namespace {

std::string EscapeOutputTemplate(const std::string& path) {
    std::string out;
    out.reserve(path.size());
    for (char c : path) {
        out += c;
        if (c == '%') {
            out += '%';
        }
    }
    return out;
}

} // namespace

std::vector<std::string> ConverterArguments(const std::string& program, const std::string& jpgPath,
                                            const std::string& psPath) {
    return {program, "-sDEVICE=jpeg", "-r120*120", "-o", EscapeOutputTemplate(jpgPath), psPath};
}

std::string CommandText(const std::vector<std::string>& args) {
    std::string text;
    bool fileNames = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (i > 0) {
            text += ' ';
        }
        text += fileNames ? '"' + args[i] + '"' : args[i];
        fileNames = fileNames || args[i] == "-o";
    }
    return text;
}
