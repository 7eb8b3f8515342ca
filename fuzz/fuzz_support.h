// Shared by the fuzzers: a reader that turns the input bytes into choices,
// and a check that stops the run with a message libFuzzer keeps beside the
// crash input.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

// Every choice reads from the front of the input; once it is used up every
// choice is 0, so a short input is still a complete run.
class FuzzInput {
  public:
    FuzzInput(const std::uint8_t* data, std::size_t size) : data(data), size(size), pos(0) {}

    bool Empty() const { return pos >= size; }

    std::uint8_t Byte() { return pos < size ? data[pos++] : 0; }

    // A value in 0..n-1 (n >= 1).
    unsigned Below(unsigned n) { return Byte() % n; }

    std::uint16_t Word() {
        std::uint16_t low = Byte();
        return static_cast<std::uint16_t>(low | (Byte() << 8));
    }

    std::int32_t Int32() {
        std::uint32_t v = 0;
        for (int i = 0; i < 4; ++i) {
            v |= static_cast<std::uint32_t>(Byte()) << (8 * i);
        }
        return static_cast<std::int32_t>(v);
    }

    // An index for a container holding count entries: mostly near the valid
    // range, where the off-by-one faults live, sometimes an extreme value.
    std::int32_t Index(std::int32_t count) {
        std::uint8_t b = Byte();
        if (b == 0xFF) {
            return INT32_MAX;
        }
        if (b == 0xFE) {
            return INT32_MIN;
        }
        if (b == 0xFD) {
            return Int32();
        }
        return static_cast<std::int32_t>(b % (static_cast<unsigned>(count) + 4)) - 2;
    }

    // All that is left of the input.
    std::string Rest() {
        std::string rest(reinterpret_cast<const char*>(data + pos), size - pos);
        pos = size;
        return rest;
    }

  private:
    const std::uint8_t* data;
    std::size_t size;
    std::size_t pos;
};

#define FUZZ_CHECK(cond)                                                                           \
    do {                                                                                           \
        if (!(cond)) {                                                                             \
            std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #cond);          \
            std::abort();                                                                          \
        }                                                                                          \
    } while (0)
