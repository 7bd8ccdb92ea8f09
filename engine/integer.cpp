#include "integer.h"

#include <cmath>

namespace tavrin {

long long roundHalfEven(double x)
{
    if (!std::isfinite(x) || std::fabs(x) > 9.0e18)
        throw OverflowError();
    // Explicit rather than nearbyint(), which would follow whatever rounding
    // mode some library left behind.
    double r = std::round(x); // halves away from zero
    if (std::fabs(x - std::trunc(x)) == 0.5)
        r = 2.0 * std::round(x / 2.0);
    return static_cast<long long>(r);
}

Integer toInteger(double x)
{
    return Integer::fromWide(roundHalfEven(x));
}

} // namespace tavrin
