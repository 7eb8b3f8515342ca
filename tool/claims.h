// One writer per file: every file a run reads or writes is claimed, so that
// no image path reaches one of them a second time, and a converter's success
// counts only if its image was written. Decided from stamps alone.
#pragma once

#include <map>
#include <string>
#include <tuple>
#include <utility>

#include "tool/files.h"

// A converter that reports success has written its image only if the file
// is there and is not the one that was there before: another file, other
// stamps, or (where the stamps cannot tell within one clock tick) a write
// that the watch saw (watched: 1 seen, 0 not seen, -1 not known).
bool WrittenSince(const FileStamp& before, const FileStamp& after, int watched);

// The PostScript files of the run by identity, and each image by identity
// once it exists and by where it will be created before that.
class Claims {
  public:
    void AddSource(const std::string& psPath, const FileStamp& stamp);
    void AddImage(const std::string& jpgPath, const std::string& psPath, const FileStamp& stamp);
    // Why jpgPath, as stamp shows it, must not be written; empty if it may.
    std::string Conflict(const std::string& jpgPath, const FileStamp& stamp) const;

  private:
    struct Owner {
        std::string path;   // the PostScript file, or the other image's path
        std::string source; // with an image: the PostScript file it is made from
        bool image;
    };
    using Id = std::pair<unsigned long long, unsigned long long>;
    using Where = std::tuple<unsigned long long, unsigned long long, std::string>;
    static Id Identity(const FileStamp& s) { return Id(s.volume, s.file); }
    static Where WhereOf(const FileStamp& s) { return Where(s.dirVolume, s.dirFile, s.leaf); }

    std::map<Id, Owner> files_;
    std::map<Where, Owner> places_;
};

// Why the image at jpgPath, as stamp shows it just before its converter
// would start, must not be written: it cannot be looked at, it is no
// regular file, or it reaches a file the run claims. Empty if it may.
std::string ImageRefusal(const std::string& jpgPath, const FileStamp& stamp, const Claims& claims);
