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

TEST(Claims, AnImageMayNotReachAFileTheRunClaims) {
    Claims claims;
    claims.AddSource("/in/a.ps", File(1));
    claims.AddSource("/in/gone.ps", FileStamp()); // not there: claims nothing
    claims.AddImage("/in/b.jpg", "/in/b.ps", At(File(2), 9, "b.jpg"));
    claims.AddImage("/in/c.jpg", "/in/c.ps", At(FileStamp(), 9, "c.jpg"));

    EXPECT_EQ(claims.Conflict("/in/x.jpg", At(File(1), 9, "a.ps")),
              "/in/x.jpg is the same file as /in/a.ps");
    EXPECT_EQ(claims.Conflict("/in/link.jpg", At(File(2), 9, "b.jpg")),
              "/in/link.jpg is the same file as /in/b.jpg");
    // Not there yet: where it will be created decides.
    EXPECT_EQ(claims.Conflict("/in/C.jpg", At(FileStamp(), 9, "c.jpg")),
              "/in/C.jpg is the same file as /in/c.jpg");
    EXPECT_EQ(claims.Conflict("/in/c.jpg", At(FileStamp(), 9, "c.jpg")),
              "/in/c.jpg is also the image of /in/c.ps");
    EXPECT_EQ(claims.Conflict("/in/d.jpg", At(File(3), 9, "d.jpg")), "");
    EXPECT_EQ(claims.Conflict("/in/c.jpg", At(FileStamp(), 8, "c.jpg")), ""); // another directory
}

TEST(Claims, ImageRefusalPutsTheFileItselfFirst) {
    Claims claims;
    claims.AddSource("/in/a.ps", File(1));
    FileStamp broken;
    broken.error = "Too many levels of symbolic links";
    EXPECT_EQ(ImageRefusal("/in/x.jpg", broken, claims),
              "cannot use /in/x.jpg: Too many levels of symbolic links");
    FileStamp fifo = File(1);
    fifo.regular = false;
    fifo.kind = "a FIFO";
    EXPECT_EQ(ImageRefusal("/in/x.jpg", fifo, claims), "/in/x.jpg is a FIFO, not a regular file");
    EXPECT_EQ(ImageRefusal("/in/x.jpg", File(1), claims), "/in/x.jpg is the same file as /in/a.ps");
    EXPECT_EQ(ImageRefusal("/in/x.jpg", FileStamp(), claims), "");
}
