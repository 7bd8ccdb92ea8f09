#pragma once

#include "colour.h"
#include "integer.h"

#include <QtGlobal>

namespace tavrin::geometry {

// Nearest 32-bit integer, halves to even. Saturates instead of failing: a
// width is never outside what a screen can have.
qint32 nearestInt32(double x);

struct Grid {
    Integer sukima; // dot pitch
    Integer hankei; // dot radius
};

// Pitch and radius from the inner width. tamasu below 1 is treated as 1 (the
// settings reader refuses such values; this only keeps the divisor sound), and
// a pitch beyond the Integer range is held at its limit.
Grid grid(float innerWidth, Integer tamasu);

struct Dot {
    float x = 0;
    float y = 0;
    float radius = 0;
    Colour colour;
};

// The colour of dot n for an answering time of time1 seconds.
Colour dotColour(qint32 n, qint32 time1);

// Dot n of the grid, worked out in wide arithmetic so that no row however far
// down ever fails.
Dot dot(qint32 n, Integer tamasu, Integer sukima, Integer hankei, float fk, Integer time1);

// Banner layout. Each returns what the label is to be given.
// Font size in points; 0 when the window is too narrow or fk gives no factor,
// in which case the banner layout is skipped.
float bannerFontSize(float innerWidth, float fk);
float bannerWidth(qint32 length, float reportedFontSize, float fk);
float bannerHeight(float reportedFontSize, float fk);
float bannerTop(Integer tamasu, Integer time1, Integer sukima, float fk);
float bannerLeft(float innerWidth, float reportedWidth);

} // namespace tavrin::geometry
