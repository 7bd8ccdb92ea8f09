#pragma once

#include "integer.h"

#include <QByteArray>
#include <QString>
#include <array>
#include <optional>

namespace tavrin {

// The values a start without a settings file uses, and the font factors the
// list offers, by index.
namespace defaults {
inline constexpr int time1 = 30;
inline constexpr int time2 = 5;
inline constexpr int cycle = 40;
inline constexpr int tamasu = 10;
inline constexpr int fkc = 0;
} // namespace defaults
inline constexpr float kFontFactors[3] = {1.0f, 1.25f, 1.5f};

// The one record of the window's variables. Every procedure reads and writes
// it directly; the fields keep the names the whole program uses.
struct ExamState {
    Integer time1;      // answering time per question, seconds
    Integer time2;      // move time after each question, seconds
    Integer cycle;      // number of questions
    QString message1;   // move banner text
    QString message2;   // end banner text
    Integer tamasu;     // dots per row
    Integer hankei;     // dot radius, pixels
    Integer sukima;     // dot pitch, pixels
    Integer timesum;    // (time1 + time2) * cycle
    Integer sw;         // 1 while the clock advances a run
    Integer ck;         // current question, 0 when no run is under way
    Integer t;          // second of the question period the next tick shows
    float fk = 0.0f;    // font factor
    Integer fkc;        // index of fk in the font factor list
    std::array<QString, 5> c; // sound file names; c[1]..c[4] are used

    // The bytes that the text lines c(1)..c(3), message1 and message2 were read
    // from, so that a save writes back exactly what was read even where the
    // text does not survive decoding. Indexed 0..4 in file order.
    std::array<std::optional<QByteArray>, 5> rawTextLines;
};

} // namespace tavrin
