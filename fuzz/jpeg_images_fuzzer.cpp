// The JPEG image count on any bytes, taken whole as the file: the result does
// not depend on where the file is cut into chunks, later bytes never undo what
// was counted, and no more images are counted than there are SOI byte pairs.
#include <cstddef>
#include <cstdint>

#include "fuzz/fuzz_support.h"
#include "tool/jpeg_images.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const JpegImageCounter whole = CountJpegImages(data, size);
    std::size_t pairs = 0;
    for (std::size_t i = 0; i + 1 < size; ++i) {
        pairs += data[i] == 0xFF && data[i + 1] == 0xD8;
    }
    FUZZ_CHECK(static_cast<std::size_t>(whole.Complete()) <= pairs);
    FUZZ_CHECK(!(whole.Truncated() && whole.Malformed()));

    // A cut, then chunks of a width, both taken from the input's own bytes.
    const std::size_t cut = size == 0 ? 0 : (data[0] | data[size - 1] << 8) % (size + 1);
    const std::size_t width = size == 0 ? 1 : data[size / 2] % 7 + 1;
    JpegImageCounter split;
    split.Feed(data, cut);
    const JpegImageCounter prefix = split;
    for (std::size_t at = cut; at < size; at += width) {
        split.Feed(data + at, size - at < width ? size - at : width);
    }
    FUZZ_CHECK(split.Complete() == whole.Complete() && split.Truncated() == whole.Truncated() &&
               split.Malformed() == whole.Malformed());
    FUZZ_CHECK(prefix.Complete() <= whole.Complete());
    // A stop is final.
    FUZZ_CHECK(!prefix.Malformed() || (whole.Malformed() && prefix.Complete() == whole.Complete()));

    // Neither cut short nor stopped: the file is fill bytes, or ends on an
    // EOI and fill bytes.
    if (!whole.Truncated() && !whole.Malformed()) {
        std::size_t end = size;
        while (end > 0 && data[end - 1] == 0xFF) {
            --end;
        }
        FUZZ_CHECK(end == 0 || (end >= 2 && data[end - 2] == 0xFF && data[end - 1] == 0xD9));
    }
    return 0;
}
