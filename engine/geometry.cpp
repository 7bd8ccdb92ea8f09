#include "geometry.h"

#include <cmath>
#include <limits>

namespace tavrin::geometry {

qint32 nearestInt32(double x)
{
    if (std::isnan(x))
        return 0;
    constexpr double lo = std::numeric_limits<qint32>::min();
    constexpr double hi = std::numeric_limits<qint32>::max();
    if (x <= lo)
        return std::numeric_limits<qint32>::min();
    if (x >= hi)
        return std::numeric_limits<qint32>::max();
    return static_cast<qint32>(roundHalfEven(x));
}

Grid grid(float innerWidth, Integer tamasu)
{
    const qint32 per = tamasu.value() < 1 ? 1 : tamasu.value();
    qint32 pitch = nearestInt32(innerWidth) / per;
    if (pitch > Integer::kMax)
        pitch = Integer::kMax;
    if (pitch < Integer::kMin)
        pitch = Integer::kMin;
    Grid g;
    g.sukima = Integer(pitch);
    // pitch * 0.4 is never a half, so nearest is exact; fits for any pitch.
    g.hankei = Integer(static_cast<int>(roundHalfEven(pitch * 0.4)));
    return g;
}

Colour dotColour(qint32 n, qint32 time1)
{
    if (n > time1 - 4)
        return colours::red;
    if (n > time1 - 10)
        return colours::yellow;
    return colours::green;
}

Dot dot(qint32 n, Integer tamasu, Integer sukima, Integer hankei, float fk, Integer time1)
{
    const qint64 per = tamasu.value() < 1 ? 1 : tamasu.value();
    const qint64 column = (qint64(n) - 1) % per;
    const qint64 row = (qint64(n) - 1) / per;
    Dot d;
    d.x = static_cast<float>(double(column * sukima.value()) + sukima.value() / 2.0);
    d.y = static_cast<float>(row * sukima.value()) + 80.0f * fk + static_cast<float>(hankei.value());
    d.radius = static_cast<float>(hankei.value());
    d.colour = dotColour(n, time1.value());
    return d;
}

float bannerFontSize(float innerWidth, float fk)
{
    const qint32 factor = nearestInt32(fk);
    if (factor == 0)
        return 0;
    return static_cast<float>(nearestInt32(innerWidth) / 15 / factor);
}

float bannerWidth(qint32 length, float reportedFontSize, float fk)
{
    return static_cast<float>(double(length) * double(reportedFontSize) * 1.4 * double(fk));
}

float bannerHeight(float reportedFontSize, float fk)
{
    return static_cast<float>(double(reportedFontSize) * 1.4 * double(fk));
}

float bannerTop(Integer tamasu, Integer time1, Integer sukima, float fk)
{
    const qint64 per = tamasu.value() < 1 ? 1 : tamasu.value();
    const qint64 rows = (per - 1 + time1.value()) / per;
    return static_cast<float>(rows * sukima.value()) + 120.0f * fk;
}

float bannerLeft(float innerWidth, float reportedWidth)
{
    return (innerWidth - reportedWidth) / 2.0f;
}

} // namespace tavrin::geometry
