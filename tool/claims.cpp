#include "tool/claims.h"

bool WrittenSince(const FileStamp& before, const FileStamp& after, int watched) {
    if (!after.exists) {
        return false;
    }
    if (!before.exists || before.volume != after.volume || before.file != after.file ||
        before.size != after.size || before.modified != after.modified) {
        return true;
    }
    return watched == 1;
}

Claims::Where Claims::WhereOf(const FileStamp& s) {
    return Where(s.dirVolume, s.dirFile, std::hash<std::string>()(s.leaf));
}

void Claims::AddSource(std::int32_t entry, const FileStamp& stamp) {
    if (stamp.exists) {
        files_.emplace(Identity(stamp), ClaimOwner{entry, 0});
    }
}

void Claims::AddImage(std::int32_t entry, std::int32_t file, const FileStamp& stamp) {
    const ClaimOwner owner{entry, file};
    // Another path reaches an image of one name through its place (a
    // symbolic link leads there); only another name of the file itself (a
    // hard link), or a place that cannot be told, needs its identity.
    if (stamp.exists && (stamp.links != 1 || !stamp.located)) {
        files_.emplace(Identity(stamp), owner);
    }
    if (stamp.located) {
        places_.emplace(WhereOf(stamp), owner);
    }
}

bool Claims::Holder(const FileStamp& stamp, ClaimOwner* owner) const {
    if (stamp.exists) {
        auto found = files_.find(Identity(stamp));
        if (found != files_.end()) {
            *owner = found->second;
            return true;
        }
    }
    if (stamp.located) {
        auto found = places_.find(WhereOf(stamp));
        if (found != places_.end()) {
            *owner = found->second;
            return true;
        }
    }
    return false;
}

std::string ImageRefusal(const std::string& jpgPath, const FileStamp& stamp, const Claims& claims,
                         const OwnerPath& pathOf) {
    if (!stamp.error.empty()) {
        return "cannot use " + jpgPath + ": " + stamp.error;
    }
    if (stamp.exists && !stamp.regular) {
        return jpgPath + " is " + stamp.kind + ", not a regular file";
    }
    ClaimOwner owner;
    if (!claims.Holder(stamp, &owner)) {
        return std::string();
    }
    const std::string held = pathOf(owner);
    if (owner.file > 0 && held == jpgPath) {
        return jpgPath + " is also the image of " + pathOf(ClaimOwner{owner.entry, 0});
    }
    return jpgPath + " is the same file as " + held;
}
