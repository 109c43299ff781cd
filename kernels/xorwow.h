#pragma once
// The XORWOW generator in the exact form cuRAND uses for its default
// pseudo-random generator, so the same seed yields the same floats.
//
// Layout of a generated buffer (found by comparing with libcurand's host
// generator): 4096 independent streams, stream i starting 2^67 * i steps
// after the seeded state; element k * 4096 + i of the buffer is the k-th
// output of stream i.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "kernels/hostDevice.h"

namespace zt {

struct XorwowState {
    std::uint32_t v[5];
    std::uint32_t d;
};

constexpr std::size_t kRandomStreams = 4096;
// The Weyl sequence added to every output advances by this much per step.
constexpr std::uint32_t kXorwowWeylStep = 362437u;
constexpr float kUniformScale = 2.3283064e-10f;  // 2^-32

ZT_HD inline XorwowState xorwowSeed(unsigned long long seed) {
    const std::uint32_t s0 = static_cast<std::uint32_t>(seed) ^ 0xaad26b49u;
    const std::uint32_t s1 = static_cast<std::uint32_t>(seed >> 32) ^ 0xf7dcefddu;
    const std::uint32_t t0 = 1099087573u * s0;
    const std::uint32_t t1 = 2591861531u * s1;
    XorwowState state;
    state.d = 6615241u + t1 + t0;
    state.v[0] = 123456789u + t0;
    state.v[1] = 362436069u ^ t0;
    state.v[2] = 521288629u + t1;
    state.v[3] = 88675123u ^ t1;
    state.v[4] = 5783321u + t0;
    return state;
}

// The linear part of one step (the shift register), without the Weyl term.
ZT_HD inline void xorwowShift(std::uint32_t v[5]) {
    const std::uint32_t t = v[0] ^ (v[0] >> 2);
    v[0] = v[1];
    v[1] = v[2];
    v[2] = v[3];
    v[3] = v[4];
    v[4] = (v[4] ^ (v[4] << 4)) ^ (t ^ (t << 1));
}

ZT_HD inline std::uint32_t xorwowNext(XorwowState& state) {
    xorwowShift(state.v);
    state.d += kXorwowWeylStep;
    return state.v[4] + state.d;
}

// cuRAND's conversion of 32 random bits to a float in (0, 1]. Must not be
// contracted into a fused multiply-add, or the last bit can differ.
ZT_HD inline float uniformFromBits(std::uint32_t bits) {
    return bits * kUniformScale + (kUniformScale / 2.0f);
}

// The shift register's step as a 160x160 matrix over GF(2), for jumping a
// stream far ahead. Column j is the image of state bit j (bit b of word w is
// state bit 32w + b).
class XorwowMatrix {
public:
    static XorwowMatrix step();
    static XorwowMatrix identity();

    XorwowMatrix operator*(const XorwowMatrix& right) const;
    XorwowMatrix squared() const { return *this * *this; }
    void apply(std::uint32_t v[5]) const;

    bool operator==(const XorwowMatrix& other) const;

private:
    std::uint32_t columns_[160][5] = {};
};

// Start states of the first `count` streams for `seed`: stream i is the
// seeded state advanced by 2^67 * i steps. The Weyl term is the same for all
// streams, because 362437 * 2^67 * i is a multiple of 2^32.
std::vector<XorwowState> xorwowStreamStarts(unsigned long long seed, std::size_t count);

}  // namespace zt
