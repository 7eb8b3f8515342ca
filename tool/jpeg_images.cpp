#include "tool/jpeg_images.h"

#include <climits>
#include <cstring>

void JpegImageCounter::Feed(const unsigned char* data, std::size_t size) {
    const unsigned char* end = data + size;
    while (data < end && state_ != State::kStopped) {
        std::size_t rest = static_cast<std::size_t>(end - data);
        if (state_ == State::kPayload) {
            // Payloads and coded data are most of a file: skip them whole.
            std::size_t skip = rest < left_ ? rest : left_;
            data += skip;
            left_ -= static_cast<unsigned>(skip);
            if (left_ == 0) {
                EndSegment();
            }
        } else if (state_ == State::kCoded) {
            const void* ff = std::memchr(data, 0xFF, rest);
            if (ff == nullptr) {
                data = end;
            } else {
                data = static_cast<const unsigned char*>(ff) + 1;
                state_ = State::kCodedMarker;
            }
        } else {
            Step(*data++);
        }
    }
}

bool JpegImageCounter::Truncated() const {
    return state_ != State::kBetween && state_ != State::kBetweenCode && state_ != State::kStopped;
}

void JpegImageCounter::Step(unsigned char byte) {
    switch (state_) {
    case State::kBetween: // every marker starts with FF; anything else here is not JPEG
        state_ = byte == 0xFF ? State::kBetweenCode : State::kStopped;
        break;
    case State::kMarker:
        state_ = byte == 0xFF ? State::kMarkerCode : State::kStopped;
        break;
    case State::kBetweenCode:
        if (byte == 0xD8) {
            scanned_ = false;
            state_ = State::kMarker;
        } else if (byte != 0xFF) { // FF is a fill byte; only an SOI may follow an image
            state_ = State::kStopped;
        }
        break;
    case State::kMarkerCode:
        if (byte != 0xFF) {
            Marker(byte);
        }
        break;
    case State::kCodedMarker:
        // FF 00 is a coded FF and FF D0 to D7 a restart: both belong to the
        // coded data. Any other marker ends it.
        if (byte == 0x00 || (byte >= 0xD0 && byte <= 0xD7)) {
            state_ = State::kCoded;
        } else if (byte != 0xFF) {
            Marker(byte);
        }
        break;
    case State::kLengthHigh:
        left_ = static_cast<unsigned>(byte) << 8;
        state_ = State::kLengthLow;
        break;
    case State::kLengthLow:
        left_ |= byte;
        if (left_ < 2) { // the length counts its own two bytes
            state_ = State::kStopped;
        } else if (left_ == 2) {
            EndSegment();
        } else {
            left_ -= 2;
            state_ = State::kPayload;
        }
        break;
    default: // the payload, the coded data and a stop are handled by Feed
        break;
    }
}

void JpegImageCounter::Marker(unsigned char code) {
    if (code == 0xD9) {
        if (scanned_ && complete_ < INT_MAX) {
            ++complete_;
        }
        state_ = State::kBetween;
    } else if (code == 0x01 || (code >= 0xD0 && code <= 0xD7)) {
        state_ = State::kMarker; // TEM and restarts have no length
    } else if (code < 0xC0 || code == 0xD8) {
        // Codes below C0 are reserved and no writer uses them; an SOI inside
        // an image means its EOI was lost.
        state_ = State::kStopped;
    } else {
        scanHeader_ = code == 0xDA;
        state_ = State::kLengthHigh;
    }
}

void JpegImageCounter::EndSegment() {
    scanned_ = scanned_ || scanHeader_;
    state_ = scanHeader_ ? State::kCoded : State::kMarker;
}

JpegImageCounter CountJpegImages(const unsigned char* data, std::size_t size) {
    JpegImageCounter counter;
    counter.Feed(data, size);
    return counter;
}
