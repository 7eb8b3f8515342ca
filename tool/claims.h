// One writer per file: every file a run reads or writes is claimed, so that
// no image path reaches one of them a second time, and a converter's success
// counts only if its image was written. Decided from stamps alone. A claim
// names its owner by the entry's place in the run, not by path, so that a run
// over many files keeps a few numbers per file; paths are made only for a
// message.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
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

// Who holds a claimed file: an entry of the run (its index in the file
// list), and which of its files: 0 its PostScript file, n its image or
// (with pages) its n-th page.
struct ClaimOwner {
    std::int32_t entry = -1;
    std::int32_t file = 0;
};

// The path of an owner's file, for messages.
using OwnerPath = std::function<std::string(const ClaimOwner&)>;

// The PostScript files of the run by identity, and each image by identity
// once it exists and by where it will be created before that.
class Claims {
  public:
    void AddSource(std::int32_t entry, const FileStamp& stamp);
    void AddImage(std::int32_t entry, std::int32_t file, const FileStamp& stamp);
    // The owner of the file that stamp shows, by identity, else by where it
    // will be created; false when the run claims none.
    bool Holder(const FileStamp& stamp, ClaimOwner* owner) const;

  private:
    using Id = std::pair<unsigned long long, unsigned long long>;
    // The directory's identity and the name's hash: names are not kept.
    using Where = std::tuple<unsigned long long, unsigned long long, std::size_t>;
    static Id Identity(const FileStamp& s) { return Id(s.volume, s.file); }
    static Where WhereOf(const FileStamp& s);

    std::map<Id, ClaimOwner> files_;
    std::map<Where, ClaimOwner> places_;
};

// Why the image at jpgPath, as stamp shows it just before its converter
// would start, must not be written: it cannot be looked at, it is no
// regular file, or it reaches a file the run claims. Empty if it may.
std::string ImageRefusal(const std::string& jpgPath, const FileStamp& stamp, const Claims& claims,
                         const OwnerPath& pathOf);
