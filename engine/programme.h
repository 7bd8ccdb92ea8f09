#pragma once

#include <QString>
#include <QtGlobal>

#include <vector>

namespace tavrin {

// The bounds of a plan, one set for the file, the editor, the engine and
// the wire.
namespace programme_limits {
inline constexpr int kMaxParts = 100;
inline constexpr int kMaxNumber = 32767;       // each time, each count, each block
inline constexpr qint64 kMaxTotal = 24 * 3600; // the whole day
inline constexpr int kMaxBanner = 200;         // characters of a banner text
} // namespace programme_limits

// One part of an examination day: a block of questions, or a break.
struct Part {
    enum class Kind { Block, Break };
    Kind kind = Kind::Block;

    // A block: questions of reading, answering and move time, in seconds.
    // Without reading time (0) a block runs exactly as the three boxes do.
    int questions = 0;
    int answer = 0;
    int move = 0;
    int reading = 0;
    QString readingBanner;   // shown over the reading time
    bool readingCue = false; // a cue as the reading time ends

    // A break: its length and the banner shown over its countdown.
    int seconds = 0;
    QString banner;

    // How many seconds the part lasts.
    qint64 length() const
    {
        if (kind == Kind::Break)
            return seconds;
        return qint64(questions) * (qint64(reading) + answer + move);
    }

    friend bool operator==(const Part &, const Part &) = default;
};

// The plan of a run: its parts in order. The three boxes of the window make
// a plan of one block; a programme file makes any other.
struct Programme {
    std::vector<Part> parts;

    static Programme oneBlock(int answer, int move, int questions)
    {
        Part p;
        p.questions = questions;
        p.answer = answer;
        p.move = move;
        return Programme{{p}};
    }

    // True for the plan the three boxes make: nothing beyond the Parts' run.
    bool isOneBlock() const
    {
        return parts.size() == 1 && parts[0].kind == Part::Kind::Block && parts[0].reading == 0;
    }

    // The whole run, in seconds: exactly the sum of its parts.
    qint64 total() const
    {
        qint64 sum = 0;
        for (const Part &p : parts)
            sum += p.length();
        return sum;
    }

    // Each part's first second, counted from the run's start.
    std::vector<qint64> starts() const
    {
        std::vector<qint64> out;
        qint64 at = 0;
        for (const Part &p : parts) {
            out.push_back(at);
            at += p.length();
        }
        return out;
    }

    friend bool operator==(const Programme &, const Programme &) = default;
};

} // namespace tavrin
