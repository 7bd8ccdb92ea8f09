#pragma once

#include <cstdint>

namespace tavrin {

// A 24-bit colour as the window's tables give it: 0xBBGGRR.
struct Colour {
    std::uint32_t bgr = 0;
    constexpr int red() const { return static_cast<int>(bgr & 0xFF); }
    constexpr int green() const { return static_cast<int>((bgr >> 8) & 0xFF); }
    constexpr int blue() const { return static_cast<int>((bgr >> 16) & 0xFF); }
    friend constexpr bool operator==(Colour, Colour) = default;
};

namespace colours {
inline constexpr Colour black{0x000000};
inline constexpr Colour white{0xFFFFFF};
inline constexpr Colour red{0x0000FF};
inline constexpr Colour yellow{0x00FFFF};
inline constexpr Colour green{0x00FF00};
inline constexpr Colour lightOrange{0x80C0FF};
inline constexpr Colour lightCyan{0xFFFF80}; // a button that acts now
inline constexpr Colour lightGrey{0xE0E0E0}; // a button that does nothing now
} // namespace colours

} // namespace tavrin
