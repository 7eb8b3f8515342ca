// The count of JPEG images in a file, on images put together here: the walk
// needs markers and lengths in their places, not data a decoder could use.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <tuple>

#include "tool/jpeg_images.h"

using namespace std::string_literals;

namespace {

using Seen = std::tuple<int, bool, bool>; // complete, truncated, malformed

// The file's first cut bytes in one chunk, the rest in chunks of width.
Seen Count(const std::string& file, std::size_t cut = 0, std::size_t width = SIZE_MAX) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(file.data());
    JpegImageCounter c;
    c.Feed(bytes, cut);
    for (std::size_t at = cut, n; at < file.size(); at += n) {
        n = std::min(width, file.size() - at);
        c.Feed(bytes + at, n);
    }
    return Seen(c.Complete(), c.Truncated(), c.Malformed());
}

std::string Segment(char code, const std::string& payload) {
    std::size_t length = payload.size() + 2;
    return "\xFF"s + code + static_cast<char>(length >> 8) + static_cast<char>(length) + payload;
}

const std::string kSoi = "\xFF\xD8", kEoi = "\xFF\xD9";
const std::string kScan = Segment('\xDA', "\x01\x01\x00\x00\x3F\x00"s);

// A baseline image's segments in their order: tables, frame, one scan.
std::string Image(const std::string& coded = "\x12\x34\x56") {
    return kSoi + Segment('\xDB', std::string(65, '\x01')) +
           Segment('\xC0', "\x08\x00\x01\x00\x01\x01\x01\x11\x00"s) +
           Segment('\xC4', std::string(16, '\0') + "\x01\x05"s) + kScan + coded + kEoi;
}

} // namespace

TEST(JpegImages, MarkerBytesInPayloadsAndCodedDataAreNotImages) {
    EXPECT_EQ(Count(Image()), Seen(1, false, false));
    EXPECT_EQ(Count(Image() + Image("\x77") + Image()), Seen(3, false, false));
    const std::string app = Segment('\xE0', "JFIF\0\xFF\xD8\xFF\xD9\xFF\xD8"s);
    EXPECT_EQ(Count(kSoi + app + Image().substr(2)), Seen(1, false, false));
    // Coded FF, restarts, fill before the EOI; progressive scans with a table between.
    const std::string coded = "\x12\xFF\x00\x34\xFF\xD0\x56\xFF\xD7\xFF\xFF"s;
    EXPECT_EQ(Count(Image(coded + Segment('\xC4', "\x11\x02"s) + kScan + "\x02")),
              Seen(1, false, false));
    // Fill before an image, before a segment, between images; TEM and a
    // restart between segments.
    EXPECT_EQ(Count("\xFF\xFF"s + kSoi + "\xFF\xFF\x01\xFF\xD3\xFF" + Image().substr(2) +
                    "\xFF\xFF" + Image()),
              Seen(2, false, false));
}

TEST(JpegImages, SameResultHoweverTheFileIsCut) {
    const std::string image = Image("\xFF\x00\xFF\xD1\x10"s);
    for (const std::string& file :
         {image + image + image.substr(0, 40), image + image + "\0\xFF\xD8"s}) {
        const Seen whole = Count(file);
        EXPECT_EQ(Count(file, 0, 1), whole);
        for (std::size_t cut = 0; cut <= file.size(); ++cut) {
            EXPECT_EQ(Count(file, cut), whole) << "cut at " << cut;
        }
    }
}

TEST(JpegImages, EndInsideAnImageIsTruncated) {
    const std::string image = Image();
    for (std::size_t n = 2; n < image.size(); ++n) {
        EXPECT_EQ(Count(image.substr(0, n)), Seen(0, true, false)) << n << " bytes";
        EXPECT_EQ(Count(image + image.substr(0, n)), Seen(1, true, false)) << n << " bytes";
    }
}

TEST(JpegImages, NothingButImagesIsCounted) {
    EXPECT_EQ(Count(""), Seen(0, false, false));
    EXPECT_EQ(Count(kSoi + Segment('\xDB', "\x01\x02"s) + kEoi), Seen(0, false, false));
    EXPECT_EQ(Count("%!PS \xFF\xD8\xFF\xD9" + Image()), Seen(0, false, true));
    // Bytes after an image stop the count, however many images follow.
    EXPECT_EQ(Count(Image() + "\0\0"s + Image()), Seen(1, false, true));
    EXPECT_EQ(Count(Image() + kEoi + Image()), Seen(1, false, true));
    // A length shorter than itself, a reserved code, an image that lost its EOI.
    EXPECT_EQ(Count(kSoi + "\xFF\xE0\x00\x01"s + Image()), Seen(0, false, true));
    EXPECT_EQ(Count(kSoi + "\xFF\x02" + Image().substr(2)), Seen(0, false, true));
    EXPECT_EQ(Count(Image().substr(0, Image().size() - 2) + Image()), Seen(0, false, true));
}
