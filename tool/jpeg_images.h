// How many JPEG images a file holds. Ghostscript's jpeg device, asked for one
// output file, writes every page of a document into it as a whole image after
// another, and a viewer shows only the first. The file is walked marker by
// marker, as a reader does, since the bytes of a marker may also stand in a
// segment's payload or in the coded data. It comes in chunks cut anywhere,
// and the walk keeps the same few fields however large the file is.
#pragma once

#include <cstddef>

class JpegImageCounter {
  public:
    // The next bytes of the file, any number of them.
    void Feed(const unsigned char* data, std::size_t size);

    // Images seen whole: SOI, at least one scan, EOI. SOI and EOI around
    // tables alone hold no image, as a reader sees it.
    int Complete() const { return complete_; }
    // The bytes so far end inside an image: its SOI was met, its EOI not yet.
    bool Truncated() const;
    // Something that is not JPEG structure was met, in an image or after one
    // where only a new image may follow; nothing from there on counts.
    bool Malformed() const { return state_ == State::kStopped; }

  private:
    enum class State {
        kBetween,     // before the first image or after an EOI
        kBetweenCode, // there, after an FF
        kMarker,      // in an image, where a marker starts
        kMarkerCode,  // after a marker's FF (and any fill bytes)
        kLengthHigh,
        kLengthLow,
        kPayload,
        kCoded,       // a scan's coded data
        kCodedMarker, // after an FF in the coded data
        kStopped,
    };
    void Step(unsigned char byte);
    void Marker(unsigned char code);
    void EndSegment();

    State state_ = State::kBetween;
    int complete_ = 0;
    unsigned left_ = 0;       // the segment length being read, then its payload not yet skipped
    bool scanHeader_ = false; // the segment is an SOS, so coded data follows it
    bool scanned_ = false;    // the image has a scan
};

// One whole file in one buffer.
JpegImageCounter CountJpegImages(const unsigned char* data, std::size_t size);
