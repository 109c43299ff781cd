#include "kernels/xorwow.h"

#include <array>
#include <cstring>

namespace zt {

namespace {

constexpr int kStateBits = 160;
constexpr int kStateWords = 5;
constexpr int kStreamJumpLog2 = 67;  // cuRAND's distance between subsequences

bool bitOf(const std::uint32_t v[kStateWords], int bit) {
    return (v[bit / 32] >> (bit % 32)) & 1u;
}

// Multiplies a fixed matrix by a state eight input bits at a time: for every
// byte of the input, the XOR of the eight columns it selects is precomputed.
// Applying it then costs 20 table look-ups, which keeps the stream set-up of
// every generate call far below the cost of generating.
class ByteTableMatrix {
public:
    explicit ByteTableMatrix(const XorwowMatrix& matrix) {
        for (int byte = 0; byte < kStateBits / 8; ++byte) {
            for (int bit = 0; bit < 8; ++bit) {
                std::uint32_t column[kStateWords] = {};
                column[(8 * byte + bit) / 32] = 1u << ((8 * byte + bit) % 32);
                matrix.apply(column);
                const int stride = 1 << bit;
                for (int pattern = stride; pattern < 2 * stride; ++pattern) {
                    for (int w = 0; w < kStateWords; ++w) {
                        table_[byte][pattern][w] = table_[byte][pattern - stride][w] ^ column[w];
                    }
                }
            }
        }
    }

    void apply(std::uint32_t v[kStateWords]) const {
        std::uint32_t result[kStateWords] = {};
        for (int byte = 0; byte < kStateBits / 8; ++byte) {
            const unsigned pattern = (v[byte / 4] >> (8 * (byte % 4))) & 0xffu;
            for (int w = 0; w < kStateWords; ++w) {
                result[w] ^= table_[byte][pattern][w];
            }
        }
        std::memcpy(v, result, sizeof(result));
    }

private:
    std::uint32_t table_[kStateBits / 8][256][kStateWords] = {};
};

const ByteTableMatrix& streamJump() {
    // Built on first use: 67 squarings of the step matrix take a few
    // milliseconds, paid once per process.
    static const ByteTableMatrix jump = [] {
        XorwowMatrix m = XorwowMatrix::step();
        for (int i = 0; i < kStreamJumpLog2; ++i) {
            m = m.squared();
        }
        return ByteTableMatrix(m);
    }();
    return jump;
}

}  // namespace

XorwowMatrix XorwowMatrix::step() {
    XorwowMatrix m;
    for (int j = 0; j < kStateBits; ++j) {
        std::uint32_t* column = m.columns_[j];
        column[j / 32] = 1u << (j % 32);
        xorwowShift(column);
    }
    return m;
}

XorwowMatrix XorwowMatrix::identity() {
    XorwowMatrix m;
    for (int j = 0; j < kStateBits; ++j) {
        m.columns_[j][j / 32] = 1u << (j % 32);
    }
    return m;
}

XorwowMatrix XorwowMatrix::operator*(const XorwowMatrix& right) const {
    XorwowMatrix product;
    for (int j = 0; j < kStateBits; ++j) {
        std::memcpy(product.columns_[j], right.columns_[j], sizeof(product.columns_[j]));
        apply(product.columns_[j]);
    }
    return product;
}

void XorwowMatrix::apply(std::uint32_t v[kStateWords]) const {
    std::uint32_t result[kStateWords] = {};
    for (int j = 0; j < kStateBits; ++j) {
        if (bitOf(v, j)) {
            for (int w = 0; w < kStateWords; ++w) {
                result[w] ^= columns_[j][w];
            }
        }
    }
    std::memcpy(v, result, sizeof(result));
}

bool XorwowMatrix::operator==(const XorwowMatrix& other) const {
    return std::memcmp(columns_, other.columns_, sizeof(columns_)) == 0;
}

std::vector<XorwowState> xorwowStreamStarts(unsigned long long seed, std::size_t count) {
    std::vector<XorwowState> starts(count);
    if (count == 0) {
        return starts;
    }
    const ByteTableMatrix& jump = streamJump();
    XorwowState state = xorwowSeed(seed);
    starts[0] = state;
    for (std::size_t i = 1; i < count; ++i) {
        jump.apply(state.v);
        starts[i] = state;
    }
    return starts;
}

}  // namespace zt
