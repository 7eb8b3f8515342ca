#include "tool/reports.h"

#include "tool/console.h"
#include "tool/files.h"

namespace {

// The form u takes in a message, into out (at most 4 characters and a
// terminator), without taking memory.
void EscapeByte(unsigned char u, char out[5]) {
    static const char kHex[] = "0123456789abcdef";
    if (u >= 0x20 && u != 0x7F) {
        out[0] = static_cast<char>(u);
        out[1] = '\0';
    } else if (u == '\n' || u == '\t' || u == '\r') {
        out[0] = '\\';
        out[1] = u == '\n' ? 'n' : (u == '\t' ? 't' : 'r');
        out[2] = '\0';
    } else {
        out[0] = '\\';
        out[1] = 'x';
        out[2] = kHex[u >> 4];
        out[3] = kHex[u & 0xF];
        out[4] = '\0';
    }
}

void PutPrintable(const char* text, std::FILE* stream) {
    for (const char* p = text; *p != '\0'; ++p) {
        char escaped[5];
        EscapeByte(static_cast<unsigned char>(*p), escaped);
        std::fputs(escaped, stream);
    }
}

} // namespace

std::string Printable(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        char escaped[5];
        EscapeByte(static_cast<unsigned char>(c), escaped);
        out += escaped;
    }
    return out;
}

void ReportError(const std::string& what, const std::string& why, std::FILE* stream) {
    WriteText(stream, "morvel: " + Printable(what) + ": " + Printable(why) + "\n");
    std::fflush(stream);
}

void ReportOutOfMemory(const Place& at, std::FILE* stream) {
    std::fputs("morvel: ", stream);
    if (at.directory != nullptr) {
        PutPrintable(at.directory, stream);
        if (at.name != nullptr) {
            if (at.separator) {
                std::fputc(kPathSeparator, stream);
            }
            PutPrintable(at.name, stream);
            PutPrintable(at.suffix, stream);
        }
        std::fputs(": ", stream);
    }
    std::fputs("out of memory\n", stream);
    std::fflush(stream);
}

void StandardOutput::Keep(const std::string& why) {
    if (lost_.empty()) {
        lost_ = why.empty() ? "write failed" : why;
    }
}

void StandardOutput::Write(const std::string& text) {
    std::string why;
    if (!WriteText(stdout, text, &why)) {
        Keep(why);
    }
}

void StandardOutput::Flush() {
    std::string why;
    if (!FlushText(stdout, &why)) {
        Keep(why);
    }
}

void StandardOutput::CopyCaptured(long long file) {
    std::string why;
    if (!::CopyCaptured(file, stdout, &why)) {
        Keep(why);
    }
}
