#pragma once
// RGBA colour with float channels.

#include <maya/MTypes.h>

#include <cassert>
#include <iosfwd>

class OPENMAYA_EXPORT MColor {
public:
    enum MColorType { kRGB, kHSV, kCMY, kCMYK };

    constexpr MColor() : r(0.0f), g(0.0f), b(0.0f), a(1.0f) {}
    MColor(const MColor& src) = default;
    constexpr MColor(float rr, float gg, float bb = 0.0, float aa = 1.0)
        : r(rr), g(gg), b(bb), a(aa) {}
    MColor(const float d[3]);
    constexpr MColor(float alpha) : r(0.0f), g(0.0f), b(0.0f), a(alpha) {}
    ~MColor() = default;

    MColor& operator=(const MColor& src) = default;
    float operator[](unsigned int i) const {
        assert(i < 4);
        return i == 0 ? r : (i == 1 ? g : (i == 2 ? b : a));
    }
    float& operator[](unsigned int i) {
        assert(i < 4);
        return i == 0 ? r : (i == 1 ? g : (i == 2 ? b : a));
    }
    // Scaling and sums apply to all four channels.
    MColor operator*(float scalar) const {
        return MColor(r * scalar, g * scalar, b * scalar, a * scalar);
    }
    MColor operator+(const MColor& o) const { return MColor(r + o.r, g + o.g, b + o.b, a + o.a); }
    MColor operator-(const MColor& o) const { return MColor(r - o.r, g - o.g, b - o.b, a - o.a); }
    MColor& operator+=(const MColor& o) {
        r += o.r;
        g += o.g;
        b += o.b;
        a += o.a;
        return *this;
    }
    MColor& operator*=(float s) {
        r *= s;
        g *= s;
        b *= s;
        a *= s;
        return *this;
    }
    bool operator==(const MColor& o) const { return r == o.r && g == o.g && b == o.b && a == o.a; }
    bool operator!=(const MColor& o) const { return !(*this == o); }
    // Writes r, g, b.
    bool get(float d[3]) const;

    friend MColor operator*(float s, const MColor& c) { return c * s; }
    // Writes "[r, g, b, a]".
    friend OPENMAYA_EXPORT std::ostream& operator<<(std::ostream& os, const MColor& c);

    static const MColor kOpaqueBlack;

    float r, g, b, a;
};
