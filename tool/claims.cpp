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

void Claims::AddSource(const std::string& psPath, const FileStamp& stamp) {
    if (stamp.exists) {
        files_.emplace(Identity(stamp), Owner{psPath, std::string(), false});
    }
}

void Claims::AddImage(const std::string& jpgPath, const std::string& psPath,
                      const FileStamp& stamp) {
    Owner owner{jpgPath, psPath, true};
    if (stamp.exists) {
        files_.emplace(Identity(stamp), owner);
    }
    if (stamp.located) {
        places_.emplace(WhereOf(stamp), owner);
    }
}

std::string Claims::Conflict(const std::string& jpgPath, const FileStamp& stamp) const {
    const Owner* owner = nullptr;
    if (stamp.exists) {
        auto found = files_.find(Identity(stamp));
        owner = found != files_.end() ? &found->second : nullptr;
    }
    if (owner == nullptr && stamp.located) {
        auto found = places_.find(WhereOf(stamp));
        owner = found != places_.end() ? &found->second : nullptr;
    }
    if (owner == nullptr) {
        return std::string();
    }
    if (owner->image && owner->path == jpgPath) {
        return jpgPath + " is also the image of " + owner->source;
    }
    return jpgPath + " is the same file as " + owner->path;
}

std::string ImageRefusal(const std::string& jpgPath, const FileStamp& stamp, const Claims& claims) {
    if (!stamp.error.empty()) {
        return "cannot use " + jpgPath + ": " + stamp.error;
    }
    if (stamp.exists && !stamp.regular) {
        return jpgPath + " is " + stamp.kind + ", not a regular file";
    }
    return claims.Conflict(jpgPath, stamp);
}
