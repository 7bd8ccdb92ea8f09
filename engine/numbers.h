#pragma once

#include "integer.h"

#include <QStringView>
#include <optional>

namespace tavrin {

// The number a text begins with: optional blanks, an optional sign, digits
// with an optional fraction after a '.'. Reading stops at the first character
// that cannot continue the number, so "12abc" is 12, "1e3" is 1 and "&H10"
// has no number. Only ASCII digits count.
std::optional<double> leadingNumber(QStringView text);

// How a time box reads: the leading number, 0 when there is none.
double boxValue(QStringView text);

// Result of reading a text into an Integer.
struct IntegerReading {
    enum class Status { Ok, NotANumber, OutOfRange };
    Status status = Status::NotANumber;
    Integer value;
    bool ok() const { return status == Status::Ok; }
};

// A time box's text as an Integer: "" and text without a number give 0;
// the number is rounded halves-to-even and must fit the 16-bit range.
IntegerReading readBoxInteger(QStringView text);

// A settings field as an Integer: the same reading as a time box, except
// that a field without a leading number is refused rather than taken as 0.
IntegerReading readFieldInteger(QStringView text);

} // namespace tavrin
