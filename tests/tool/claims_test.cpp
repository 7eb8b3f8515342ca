// One writer per file, decided from stamps without a file system.
#include <gtest/gtest.h>

#include <string>

#include "tool/claims.h"

namespace {

FileStamp File(unsigned long long id, unsigned long long size = 10, long long modified = 100) {
    FileStamp s;
    s.exists = true;
    s.regular = true;
    s.volume = 1;
    s.file = id;
    s.size = size;
    s.modified = modified;
    return s;
}

FileStamp At(FileStamp s, unsigned long long dir, const std::string& leaf) {
    s.located = true;
    s.dirVolume = 1;
    s.dirFile = dir;
    s.leaf = leaf;
    return s;
}

} // namespace

TEST(Claims, WrittenOnlyWhenTheImageChangedOrAWriteWasSeen) {
    const FileStamp missing;
    EXPECT_FALSE(WrittenSince(missing, missing, 1));
    EXPECT_TRUE(WrittenSince(missing, File(5), 0));
    EXPECT_FALSE(WrittenSince(File(5), File(5), 0));
    EXPECT_FALSE(WrittenSince(File(5), File(5), -1));
    EXPECT_TRUE(WrittenSince(File(5), File(5), 1)); // within one clock tick
    EXPECT_TRUE(WrittenSince(File(5), File(6), 0));
    EXPECT_TRUE(WrittenSince(File(5), File(5, 11), 0));
    EXPECT_TRUE(WrittenSince(File(5), File(5, 10, 101), 0));
    FileStamp otherVolume = File(5);
    otherVolume.volume = 2;
    EXPECT_TRUE(WrittenSince(File(5), otherVolume, 0));
}

// The paths of entries 0 to 3 (a to d) in /in, as the run names them.
std::string PathOf(const ClaimOwner& owner) {
    const std::string name(1, static_cast<char>('a' + owner.entry));
    return owner.file == 0 ? "/in/" + name + ".ps" : "/in/" + name + ".jpg";
}

TEST(Claims, AnImageMayNotReachAFileTheRunClaims) {
    Claims claims;
    claims.AddSource(0, File(1));
    claims.AddSource(3, FileStamp()); // not there: claims nothing
    claims.AddImage(1, 1, At(File(2), 9, "b.jpg"));
    claims.AddImage(2, 1, At(FileStamp(), 9, "c.jpg"));

    EXPECT_EQ(ImageRefusal("/in/x.jpg", At(File(1), 9, "x.jpg"), claims, PathOf),
              "/in/x.jpg is the same file as /in/a.ps");
    EXPECT_EQ(ImageRefusal("/in/link.jpg", At(File(2), 9, "link.jpg"), claims, PathOf),
              "/in/link.jpg is the same file as /in/b.jpg");
    // Not there yet: where it will be created decides.
    EXPECT_EQ(ImageRefusal("/in/C.jpg", At(FileStamp(), 9, "c.jpg"), claims, PathOf),
              "/in/C.jpg is the same file as /in/c.jpg");
    EXPECT_EQ(ImageRefusal("/in/c.jpg", At(FileStamp(), 9, "c.jpg"), claims, PathOf),
              "/in/c.jpg is also the image of /in/c.ps");
    EXPECT_EQ(ImageRefusal("/in/d.jpg", At(File(3), 9, "d.jpg"), claims, PathOf), "");
    EXPECT_EQ(ImageRefusal("/in/c.jpg", At(FileStamp(), 8, "c.jpg"), claims, PathOf), "");
}

TEST(Claims, ImageRefusalPutsTheFileItselfFirst) {
    Claims claims;
    claims.AddSource(0, File(1));
    FileStamp broken;
    broken.error = "Too many levels of symbolic links";
    EXPECT_EQ(ImageRefusal("/in/x.jpg", broken, claims, PathOf),
              "cannot use /in/x.jpg: Too many levels of symbolic links");
    FileStamp fifo = File(1);
    fifo.regular = false;
    fifo.kind = "a FIFO";
    EXPECT_EQ(ImageRefusal("/in/x.jpg", fifo, claims, PathOf),
              "/in/x.jpg is a FIFO, not a regular file");
    EXPECT_EQ(ImageRefusal("/in/x.jpg", File(1), claims, PathOf),
              "/in/x.jpg is the same file as /in/a.ps");
    EXPECT_EQ(ImageRefusal("/in/x.jpg", FileStamp(), claims, PathOf), "");
}
