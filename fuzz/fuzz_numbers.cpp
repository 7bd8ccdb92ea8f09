// The number reading of the time boxes and the settings fields, on any text.
// The first byte chooses how the rest becomes text: UTF-8 (with whatever
// replacement Qt makes) or raw UTF-16 code units, lone surrogates included.
//
// Each reading is checked against a second, deliberately plain reading of
// the same text: the leading number as strtod() gives it, and its nearest
// integer from the C library's own round-to-nearest-even.

#include "numbers.h"

#include <QString>

#include <cfenv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>

using namespace tavrin;

namespace {

[[noreturn]] void fail(const char *what, QStringView text)
{
    std::fprintf(stderr, "%s\ninput: %s\n", what, text.left(200).toString().toUtf8().constData());
    std::abort();
}

std::optional<double> reference(QStringView s)
{
    qsizetype i = 0;
    while (i < s.size() && (s[i] == u' ' || s[i] == u'\t' || s[i] == u'\u3000'))
        ++i;
    std::string num;
    if (i < s.size() && (s[i] == u'+' || s[i] == u'-'))
        num += static_cast<char>(s[i++].unicode());
    bool digits = false;
    while (i < s.size() && s[i] >= u'0' && s[i] <= u'9') {
        num += static_cast<char>(s[i++].unicode());
        digits = true;
    }
    if (i < s.size() && s[i] == u'.') {
        num += '.';
        ++i;
        while (i < s.size() && s[i] >= u'0' && s[i] <= u'9') {
            num += static_cast<char>(s[i++].unicode());
            digits = true;
        }
    }
    if (!digits)
        return std::nullopt;
    // strtod gives the correctly rounded double, inf beyond the range and 0
    // (or a subnormal) below it.
    return std::strtod(num.c_str(), nullptr);
}

void check(IntegerReading r, std::optional<double> ref, bool field, QStringView text)
{
    if (!ref) {
        if (field ? r.status != IntegerReading::Status::NotANumber
                  : !(r.ok() && r.value == 0))
            fail(field ? "a field without a number was not refused" : "a box without a number is not 0", text);
        return;
    }
    const double v = *ref;
    const double n = std::nearbyint(v); // FE_TONEAREST: halves to even
    const bool fits = n >= -32768.0 && n <= 32767.0;
    if (fits != r.ok())
        fail(fits ? "an in-range number was refused" : "an out-of-range number was taken", text);
    if (r.ok() && r.value.value() != static_cast<int>(n))
        fail("the integer is not the nearest one (halves to even)", text);
    if (!r.ok() && r.status != IntegerReading::Status::OutOfRange)
        fail("a number was reported as no number", text);
}

void readAll(QStringView text)
{
    const std::optional<double> ref = reference(text);
    const std::optional<double> got = leadingNumber(text);
    if (ref.has_value() != got.has_value())
        fail(ref ? "a leading number was missed" : "a leading number was invented", text);
    if (ref && !(*ref == *got))
        fail("the leading number differs from strtod", text);
    if (boxValue(text) != ref.value_or(0.0))
        fail("boxValue differs", text);
    check(readBoxInteger(text), ref, false, text);
    check(readFieldInteger(text), ref, true, text);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size == 0)
        return 0;
    const std::uint8_t mode = data[0];
    ++data;
    --size;
    std::fesetround(FE_TONEAREST);
    if (mode & 1) {
        QString text(static_cast<qsizetype>(size / 2), Qt::Uninitialized);
        std::memcpy(text.data(), data, (size / 2) * 2);
        readAll(text);
        // A view into the middle of a longer text must not read past its end.
        if (text.size() > 2)
            readAll(QStringView(text).mid(1, text.size() - 2));
    } else {
        const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
        readAll(text);
        if (text.size() > 2)
            readAll(QStringView(text).mid(1, text.size() - 2));
    }
    return 0;
}
