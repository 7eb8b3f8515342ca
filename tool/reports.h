// What morvel says to the user besides the converters' own output: the
// progress lines and commands on stdout, and on stderr one line per
// problem, "morvel: <what>: <why>", with control characters escaped so that
// a name cannot split or garble the line a log reader expects.
#pragma once

#include <cstdio>
#include <string>

// text with every control character shown as \n, \t, \r or \xNN.
std::string Printable(const std::string& text);

// One diagnostic line on stream (stderr unless a test says otherwise).
void ReportError(const std::string& what, const std::string& why, std::FILE* stream = stderr);

// Where the run was when memory ran out: the PostScript directory and,
// during a conversion, the entry. Plain pointers into what outlives the
// failure, so that the report itself needs no memory.
struct Place {
    const char* directory = nullptr;
    bool separator = false; // a separator goes between directory and name
    const char* name = nullptr;
    const char* suffix = nullptr;
};

// "morvel: <place>: out of memory", written byte by byte without taking
// memory.
void ReportOutOfMemory(const Place& at, std::FILE* stream = stderr);

// Progress lines, commands and the converters' captured output on stdout:
// the real bytes, names included. A failed write does not stop the run; the
// first one's reason is kept for the end.
class StandardOutput {
  public:
    void Write(const std::string& text);
    void Flush();
    // Copies a converter's captured output file out to stdout.
    void CopyCaptured(long long file);
    // Why output was lost, or an empty string.
    const std::string& Lost() const { return lost_; }

  private:
    void Keep(const std::string& why);
    std::string lost_;
};
