// Path and text helpers on any text: no crash, nothing read or written past
// exact-size heap blocks, and the invariants that hold for every input. The
// first byte is a 32-bit value's low byte for FormatThousands; the whole
// input, cut at its first zero byte, is the path.
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#include "fuzz/fuzz_support.h"
#include "textutil/path_text.h"

namespace {

// A heap copy of exactly text.size() + 1 bytes.
char* Copy(const std::string& text) {
    char* block = new char[text.size() + 1];
    std::memcpy(block, text.c_str(), text.size() + 1);
    return block;
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n';
}

// What a helper wrote into a block of exactly size bytes.
std::string Result(const char* out, std::size_t size) {
    std::size_t length = strnlen(out, size);
    FUZZ_CHECK(length < size); // terminated inside the block
    return std::string(out, length);
}

void CheckPath(const std::string& path) {
    const std::size_t size = path.size() + 1; // every part fits the path's size
    char* in = Copy(path);
    char* file = new char[size];
    char* dir = new char[size];
    char* dirStd = new char[size];
    char* ext = new char[size];
    char* extStd = new char[size];

    FUZZ_CHECK(GetFileNamePart(in, file) == 1);
    FUZZ_CHECK(GetDirectoryPart(in, dir) == 1);
    FUZZ_CHECK(GetDirectoryPartStd(in, dirStd) == 1);
    int found = GetExtension(in, ext);
    int foundStd = GetExtensionStd(in, extStd);
    FUZZ_CHECK(path == in); // inputs are left alone

    std::string f = Result(file, size);
    std::string d = Result(dir, size);
    std::string e = Result(ext, size);
    FUZZ_CHECK(d == Result(dirStd, size));
    FUZZ_CHECK(found == foundStd && e == Result(extStd, size));

    std::size_t slash = path.rfind('\\');
    FUZZ_CHECK(f.find('\\') == std::string::npos);
    if (slash == std::string::npos) {
        FUZZ_CHECK(f == path && d.empty());
    } else {
        FUZZ_CHECK(d + "\\" + f == path);
    }

    // The extension's dot is one of the last six characters, the first dot
    // met from the end.
    std::size_t window = path.size() < 6 ? path.size() : 6;
    std::string tail = path.substr(path.size() - window);
    std::size_t dot = tail.rfind('.');
    FUZZ_CHECK(found == 0 || found == 1);
    if (found == 1) {
        FUZZ_CHECK(dot != std::string::npos && e == tail.substr(dot + 1));
    } else {
        FUZZ_CHECK(e.empty());
        // A dot in the file name's own part of the window always counts.
        std::size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
        FUZZ_CHECK(dot == std::string::npos || path.size() - window + dot < nameStart);
    }

    // TrimRight takes off exactly the trailing spaces, tabs and line feeds.
    TrimRight(in);
    std::string trimmed = Result(in, size);
    std::size_t keep = path.size();
    while (keep > 0 && IsBlank(path[keep - 1])) {
        --keep;
    }
    FUZZ_CHECK(trimmed == path.substr(0, keep));

    delete[] in;
    delete[] file;
    delete[] dir;
    delete[] dirStd;
    delete[] ext;
    delete[] extStd;
}

void CheckThousands(std::int32_t value) {
    const std::size_t size = 20; // what the caller must offer
    char* out = new char[size];
    int result = FormatThousands(value, out);
    std::string text = Result(out, size);
    FUZZ_CHECK(result == static_cast<int>(text.size()) + 1);
    // Groups of three digits from the right, the first of one to three,
    // after an optional minus sign.
    std::size_t start = text.size() > 0 && text[0] == '-' ? 1 : 0;
    FUZZ_CHECK((start == 1) == (value < 0));
    std::string digits;
    std::size_t group = 0;
    for (std::size_t i = text.size(); i > start; --i) {
        char c = text[i - 1];
        if (c == ',') {
            FUZZ_CHECK(group == 3 && i - 1 > start);
            group = 0;
        } else {
            FUZZ_CHECK(c >= '0' && c <= '9');
            digits.insert(digits.begin(), c);
            ++group;
        }
    }
    FUZZ_CHECK(group >= 1 && group <= 3);
    char plain[16];
    std::snprintf(plain, sizeof plain, "%d", static_cast<int>(value));
    FUZZ_CHECK((start == 1 ? "-" + digits : digits) == plain);
    delete[] out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzInput in(data, size);
    CheckThousands(in.Int32());
    std::string path(reinterpret_cast<const char*>(data), size);
    CheckPath(path.substr(0, path.find('\0')));
    return 0;
}
