#include "tests/support/test_support.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>

#include "containers/ptr_array.h"
#include "containers/string_list.h"
#include "platform/alloc_fault.h"
#include "platform/message_box_hook.h"

namespace fs = std::filesystem;

namespace {

// Test paths are in the ANSI code page, UTF-8 on every host we run on;
// a plain narrow path would be read as Latin-1 by the Windows runtime.
fs::path Native(const std::string& path) {
    return fs::u8path(path);
}

} // namespace

std::string JoinPath(const std::string& dir, const std::string& name) {
    if (!dir.empty() && dir.back() == kTestSeparator) {
        return dir + name;
    }
    return dir + kTestSeparator + name;
}

TempDir::TempDir() {
    std::random_device rd;
    fs::path base = fs::temp_directory_path();
    for (int attempt = 0; attempt < 100; ++attempt) {
        fs::path candidate = base / ("morvel-test-" + std::to_string(rd()));
        std::error_code ec;
        if (fs::create_directory(candidate, ec)) {
            path_ = candidate.string();
            return;
        }
    }
    std::abort();
}

TempDir::~TempDir() {
    std::error_code ec;
    // Tests may leave read-only directories behind; make them removable.
    for (auto it = fs::recursive_directory_iterator(path_, ec);
         !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
        fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ec);
    }
    fs::remove_all(path_, ec);
}

void WriteFile(const std::string& path, const std::string& content) {
    std::ofstream f(Native(path), std::ios::binary);
    f.write(content.data(), static_cast<std::streamsize>(content.size()));
}

std::string ReadFile(const std::string& path) {
    std::ifstream f(Native(path), std::ios::binary);
    std::ostringstream s;
    s << f.rdbuf();
    return s.str();
}

bool FileExists(const std::string& path) {
    std::error_code ec;
    return fs::exists(Native(path), ec);
}

void MakeDir(const std::string& path) {
    std::error_code ec;
    fs::create_directories(Native(path), ec);
}

void MakeExecutable(const std::string& path) {
    std::error_code ec;
    fs::permissions(Native(path),
                    fs::perms::owner_all | fs::perms::group_exec | fs::perms::others_exec,
                    fs::perm_options::add, ec);
}

std::vector<std::string> ListDir(const std::string& path) {
    std::vector<std::string> names;
    std::error_code ec;
    for (auto it = fs::directory_iterator(Native(path), ec); !ec && it != fs::directory_iterator();
         it.increment(ec)) {
        names.push_back(it->path().filename().u8string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

// The log is a sequence of records: "CALL\n", then for the working directory
// and each argument a length, ':' and the bytes, then "\n".
std::vector<ConverterCall> ReadConverterLog(const std::string& logPath) {
    std::vector<ConverterCall> calls;
    std::string log = ReadFile(logPath);
    std::size_t pos = 0;
    while (pos < log.size()) {
        if (log.compare(pos, 5, "CALL\n") != 0) {
            break;
        }
        pos += 5;
        ConverterCall call;
        bool first = true;
        while (pos < log.size() && log.compare(pos, 5, "CALL\n") != 0) {
            std::size_t colon = log.find(':', pos);
            if (colon == std::string::npos) {
                return calls;
            }
            std::size_t len = std::stoul(log.substr(pos, colon - pos));
            std::string item = log.substr(colon + 1, len);
            pos = colon + 1 + len + 1;
            if (first) {
                call.cwd = item;
                first = false;
            } else {
                call.args.push_back(item);
            }
        }
        calls.push_back(call);
    }
    return calls;
}

AllocFailureOff::~AllocFailureOff() {
    SetAllocFailure(0);
}

BoxCapture::BoxCapture(int answer) : answer_(answer) {
    SetMessageBoxHook(Take, this);
}

BoxCapture::~BoxCapture() {
    SetMessageBoxHook(nullptr, nullptr);
}

int BoxCapture::Take(void* context, const void* owner, const char* text, const char* caption,
                     unsigned style) {
    BoxCapture* capture = static_cast<BoxCapture*>(context);
    ShownBox& shown = capture->shown_;
    ++shown.calls;
    shown.owner = owner;
    shown.text = text != nullptr ? text : "<null>";
    shown.caption = caption != nullptr ? caption : "<null>";
    shown.style = style;
    return capture->answer_;
}

std::wstring Units(std::initializer_list<unsigned> units) {
    std::wstring s;
    for (unsigned u : units) {
        s.push_back(static_cast<wchar_t>(u));
    }
    return s;
}

std::vector<wchar_t> WideBuffer(std::size_t n, const std::wstring& text) {
    std::vector<wchar_t> buf(n, L'#');
    std::copy(text.begin(), text.end(), buf.begin());
    buf[text.size()] = L'\0';
    return buf;
}

std::vector<std::string> Texts(StringList& list) {
    std::vector<std::string> texts;
    for (std::int32_t i = 0; i < list.GetCount(); ++i) {
        texts.push_back(list.GetAt(i));
    }
    return texts;
}

std::vector<std::intptr_t> Values(const PtrArray& array) {
    std::vector<std::intptr_t> values;
    for (std::int32_t i = 0; i < array.GetCount(); ++i) {
        values.push_back(array.GetAt(i));
    }
    return values;
}
