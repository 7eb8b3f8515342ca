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

std::string ImagePath(const std::string& imageBase, const Rendering& rendering, int page) {
    return rendering.pages ? imageBase + "-" + std::to_string(page) + ".jpg" : imageBase + ".jpg";
}

std::vector<std::string> ConverterArguments(const std::string& program,
                                            const std::string& imageBase, const std::string& psPath,
                                            const Rendering& rendering) {
    const std::string x = std::to_string(rendering.xDpi), y = std::to_string(rendering.yDpi);
    std::vector<std::string> args = {program, "-sDEVICE=jpeg",
                                     x == y ? "-r" + x + "*" + y : "-r" + x + "x" + y};
    if (rendering.quality != 0) {
        args.push_back("-dJPEGQ=" + std::to_string(rendering.quality));
    }
    args.push_back("-o");
    args.push_back(EscapeOutputTemplate(imageBase) + (rendering.pages ? "-%d.jpg" : ".jpg"));
    args.push_back(psPath);
    return args;
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
