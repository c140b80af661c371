#pragma once

// What a changed picture of a playing field says about a key (x_latency):
// whether the piece moved sideways, or only fell, or something else came.

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace tessarin::bench {

// A pixel spread over 64 bits, so that sums of different pixels rarely meet.
inline uint64_t spread(uint32_t p) {
    uint64_t z = p + 0x9e3779b97f4a7c15ULL;
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
    return z ^ (z >> 31);
}

// Per column of pixels, the sum of its pixels spread out; and their total.
// A piece that moves down a row over empty cells (all drawn alike) leaves
// every column's sum as it was; a move sideways changes some; a new piece or
// a row taken away changes the total too.
struct Columns {
    std::vector<uint64_t> sums;
    uint64_t total = 0;
    // picture: pixels row by row, width a row.
    Columns(const std::vector<uint32_t>& picture, int width)
        : sums(static_cast<std::size_t>(width)) {
        for (std::size_t i = 0; i < picture.size(); ++i)
            sums[i % static_cast<std::size_t>(width)] += spread(picture[i]);
        for (const uint64_t s : sums)
            total += s;
    }
};

enum class Answer {
    Nothing, // the same picture, or the piece fell
    Moved,   // a move sideways
    Other    // a new piece, a row cleared or added, a curtain
};

// What the new picture shows against the one before the key.
inline Answer compare(const Columns& before, const std::vector<uint32_t>& now, int width) {
    const Columns after(now, width);
    if (after.sums == before.sums)
        return Answer::Nothing;
    return after.total == before.total ? Answer::Moved : Answer::Other;
}

// The nearest-rank percentile q (0 to 1) of values sorted, not empty.
inline double percentile(const std::vector<double>& sorted, double q) {
    const auto rank = static_cast<std::size_t>(std::ceil(q * static_cast<double>(sorted.size())));
    return sorted[std::clamp<std::size_t>(rank, 1, sorted.size()) - 1];
}

} // namespace tessarin::bench
