#include "numbers.h"

#include <cmath>

namespace tavrin {

namespace {
bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\u3000';
}
bool isDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

IntegerReading fromDouble(double v)
{
    IntegerReading r;
    // Compare before rounding so that huge values never reach the integer cast.
    if (!(std::fabs(v) < 1.0e6)) {
        r.status = IntegerReading::Status::OutOfRange;
        return r;
    }
    const long long n = roundHalfEven(v);
    if (!Integer::fits(n)) {
        r.status = IntegerReading::Status::OutOfRange;
        return r;
    }
    r.status = IntegerReading::Status::Ok;
    r.value = Integer(static_cast<int>(n));
    return r;
}
} // namespace

std::optional<double> leadingNumber(QStringView text)
{
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n && isBlank(text[i]))
        ++i;
    bool negative = false;
    if (i < n && (text[i] == u'+' || text[i] == u'-')) {
        negative = text[i] == u'-';
        ++i;
    }
    // Accumulate the digits as text and convert once: exact for every
    // decimal a person types, and no overflow however many digits there are.
    QByteArray digits;
    bool any = false;
    bool wholeNonZero = false;
    while (i < n && isDigit(text[i])) {
        digits.append(static_cast<char>(text[i].unicode()));
        any = true;
        wholeNonZero = wholeNonZero || text[i] != u'0';
        ++i;
    }
    if (i < n && text[i] == u'.') {
        qsizetype j = i + 1;
        QByteArray frac;
        while (j < n && isDigit(text[j])) {
            frac.append(static_cast<char>(text[j].unicode()));
            ++j;
        }
        if (!frac.isEmpty() || any) {
            digits.append('.');
            digits.append(frac);
            any = any || !frac.isEmpty();
        }
    }
    if (!any)
        return std::nullopt;
    if (digits.endsWith('.'))
        digits.chop(1);
    if (digits.startsWith('.'))
        digits.prepend('0');
    bool ok = false;
    double v = digits.toDouble(&ok);
    // Qt refuses both ends of the double range: a whole part too long for a
    // double is out of range for sure, a fraction too small for one is 0
    // (a subnormal result is returned as it is, so nothing in between).
    if (!ok)
        v = wholeNonZero ? HUGE_VAL : 0.0;
    return negative ? -v : v;
}

double boxValue(QStringView text)
{
    return leadingNumber(text).value_or(0.0);
}

IntegerReading readBoxInteger(QStringView text)
{
    return fromDouble(boxValue(text));
}

IntegerReading readFieldInteger(QStringView text)
{
    const auto v = leadingNumber(text);
    if (!v)
        return {};
    return fromDouble(*v);
}

} // namespace tavrin
