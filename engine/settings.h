#pragma once

#include "exam_state.h"

#include <QString>
#include <QStringList>

namespace tavrin {

struct SettingsLoadReport {
    bool present = false;   // the presence test found "Tavrin.cfg"
    bool complete = true;   // every value was read from the file as it stands
    QStringList problems;   // one operator message per refused or missing value
};

struct SettingsSaveReport {
    bool ok = false;
    QString error;          // why the save failed, for the operator
    QString backupPath;     // the copy kept of an incompletely read file, if any
    bool noCopy = false;    // that copy could not be made, so nothing was written
};

// Fills time1, time2, cycle, c(1)..c(3), message1, message2, tamasu and fkc
// from "Tavrin.cfg" in dir, or from the defaults when the file is absent.
// Never throws: a value that cannot be read keeps its default and is reported.
//
// How a file is read:
// - Only an ordinary file named exactly "Tavrin.cfg" (letter case included)
//   counts; a directory or "tavrin.cfg" is no file at all.
// - Lines end at CR LF, a lone LF or a lone CR; the last line needs none.
// - Line 1 is split at commas. Each field reads like a time box (readFieldInteger),
//   but a field without a number is refused. A missing field keeps its default;
//   fields after the third are reported and not used.
// - Lines 2..6 are taken whole, decoded as windows-31j; their bytes go to
//   st.rawTextLines. Bytes that are not Shift-JIS are reported but kept.
// - Line 7 (tamasu, at least 1) and line 8 (fkc, 0..2) are read when the file
//   goes on after the line before; an empty line 7 or 8 is a field without a
//   number. Text after line 8 is reported, blank lines there are not.
// - A file that ends before line 6 keeps what it has; the rest is defaults.
// complete is false whenever something was reported; the last problem then
// tells the operator that the file will be kept as "Tavrin.cfg.bak".
SettingsLoadReport loadSettings(ExamState &st, const QString &dir);

// Writes the same fields to "Tavrin.cfg" in dir, all or nothing, every line
// ending in CR LF. In a folder that takes no new file but whose Tavrin.cfg
// may be written, the file is rewritten in place and read back; if that
// fails, what it held is written back (the error says when even that failed). A text line goes out as the bytes it was read from while
// the text is unchanged, otherwise encoded as windows-31j with '?' for what
// Shift-JIS cannot hold. With keepBackup, a "Tavrin.cfg" found there is first
// copied to "Tavrin.cfg.bak" (replacing an older one); if that copy cannot be
// made, nothing is written and noCopy says so: the operator may then choose to
// write without it.
SettingsSaveReport saveSettings(const ExamState &st, const QString &dir, bool keepBackup);

} // namespace tavrin
