#pragma once

// A programme kept in a file of its own, for people to read and edit by
// hand: UTF-8, one section per part in the order they run, "key = value"
// lines, and comments from '#' to the end of a line.
//
//   [block]              a block of questions
//   questions = 20       1 ..
//   answer = 60          seconds, 1 ..
//   move = 15            seconds, 1 ..
//   reading = 30         seconds before each answer (optional)
//   reading banner = ... shown over the reading time (optional)
//   reading cue = yes    a cue as the reading time ends (optional, yes/no)
//
//   [break]
//   seconds = 600        1 ..
//   banner = ...         shown over the countdown (optional)
//
// Each number is one of the engine's 16-bit integers (at most 32767), a
// block as a whole too, as the engine's total is; the day is at most 24 h.
// A file is read whole or not at all: the result is a programme, or the
// first line that is wrong and what that line may hold.

#include "programme.h"

#include <QByteArray>
#include <QString>

#include <optional>

namespace tavrin {

namespace programme_limits {
inline constexpr qint64 kMaxFileBytes = 256 * 1024;
} // namespace programme_limits

struct ProgrammeRead {
    std::optional<Programme> programme;
    int line = 0;  // the line the error is on (1 = the first); 0 for the file as a whole
    QString error; // what was refused and what is allowed, for the operator
    bool ok() const { return programme.has_value(); }
    // "line N: error", or the error alone when no line is to blame.
    QString describe() const;
};

// The text of a programme file.
ProgrammeRead parseProgramme(const QByteArray &bytes);
// The file at path (at most kMaxFileBytes).
ProgrammeRead readProgrammeFile(const QString &path);

// A programme as the program would run it: each bound above. Empty, or the
// first fault, naming its part (1 = the first).
QString checkProgramme(const Programme &programme);

// The file's text for programme, with a comment on the format at its head.
QByteArray formatProgramme(const Programme &programme);
// Writes it in one step (the old file stays whole until the new one is
// complete). Empty on success, otherwise why not.
QString writeProgrammeFile(const QString &path, const Programme &programme);

} // namespace tavrin
