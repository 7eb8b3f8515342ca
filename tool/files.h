// Files as the host names and looks at them: the separator, how a directory
// argument is made absolute, names the system reserves, how a file is looked
// at and watched for writes, and the temporary files a converter's output is
// captured in. tool/files_posix.cpp and tool/files_win32.cpp implement it,
// the write watch tool/files_watch_posix.cpp and tool/files_watch_win32.cpp;
// the build picks the host's.
#pragma once

#include <cstddef>
#include <cstdio>
#include <string>

// The separator the tool writes between a directory and a name.
extern const char kPathSeparator;

// True when directory ends in a separator, so that a name joins it without
// another (Windows: '\\' or '/').
bool EndsInSeparator(const std::string& directory);

// Makes the PostScript directory, as given on the command line, absolute
// from the starting directory, so that it names the same directory once
// gsDir is the working directory. False with the system's reason in *why
// when it cannot be.
bool AbsoluteDirectory(const std::string& given, const std::string& gsDir, std::string* absolute,
                       std::string* why);

// Why path cannot serve as a directory to write into (it is missing, or no
// directory), in the system's words; empty when it can.
std::string DirectoryReason(const std::string& path);

// Removes the file at path (an image a stopped converter left half
// written); false with the system's reason in *why.
bool RemoveImage(const std::string& path, std::string* why);

// Hands the file's bytes to sink in pieces of any size, in order, without
// holding the whole file; false with the system's reason in *why.
bool ReadFileChunks(const std::string& path,
                    void (*sink)(void* context, const unsigned char* data, std::size_t size),
                    void* context, std::string* why);

// Why the host would not take path as the file it names (Windows reads
// some names as devices: NUL, CON, COM1, ..., whatever their extension), or
// an empty string.
std::string DeviceNameReason(const std::string& path);

// What a path names at one moment, links followed: enough to tell whether
// the file has been written since, and whether two paths reach one file.
struct FileStamp {
    bool exists = false;  // the path names something
    bool regular = false; // with exists: a regular file
    std::string kind;     // with exists and not regular: "a FIFO", "a directory", ...
    std::string error;    // neither there nor missing (a loop, no permission): why
    unsigned long long volume = 0, file = 0; // identity: device and inode, or volume and index
    unsigned long long size = 0;
    unsigned long links = 0; // names the file has (hard links); 0: not known
    long long modified = 0;  // in the system's finest unit
    // Where a writer of the path would put the file, links followed: the
    // directory's identity and the name in it, as the system compares names
    // (Windows: in upper case). located is false when that cannot be told.
    bool located = false;
    unsigned long long dirVolume = 0, dirFile = 0;
    std::string leaf;
    std::string directory; // the directory's path
};
// With locate false, located stays false: the file's identity and times
// alone, which is all a file already claimed by place needs.
FileStamp StampOf(const std::string& path, bool locate = true);

// Watches one file's path for writes while a converter runs: a rewrite
// within one timestamp tick leaves the stamps as they were. Opaque; one per
// running converter.
struct WriteWatch;
// Starts watching path, which stamp (taken just before) says where it is or
// will be. nullptr when the system cannot watch it: the stamps decide alone.
WriteWatch* StartWriteWatch(const std::string& path, const FileStamp& stamp);
// Ends the watch: 1 when a write was seen, 0 when none was, -1 when the
// watch lost track (the stamps decide). A null watch gives -1.
int EndWriteWatch(WriteWatch* watch);

// A fresh temporary file for a converter's output, gone once it is closed
// (POSIX: a descriptor closed on exec; Windows: a handle); -1 with why.
long long CreateCaptureFile(std::string* why);
void CloseCaptureFile(long long file);

// Copies what a captured file holds, byte for byte, to stream (stdout or
// stderr). False with the system's reason in *why when it cannot.
bool CopyCaptured(long long file, std::FILE* stream, std::string* why);
