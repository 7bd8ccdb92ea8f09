#pragma once

// The options file (Tavrin-options.ini in the working folder) has one
// writer, whatever part keeps its settings there: the rooms, the browser
// view, the room display. Each write holds one rule: the file is made
// afresh beside the old one, readable by its owner only from its first
// byte, and put in the old one's place in one step, so that nobody else
// reads what it holds and no half-written file is ever left; a symbolic
// link, or anything else that is not a plain file of ours, in its place is
// refused, never followed. Files are read as they are.

#include <QList>
#include <QString>
#include <QVariant>

#include <functional>
#include <utility>

class QObject;

namespace tavrin {

// One group's settings: each key within the group, with its value.
using OptionValues = QList<std::pair<QString, QVariant>>;

// Writes values into group of the INI file at path; the file's other
// settings stay as they were; a value that is no QVariant removes its key. Empty on success, otherwise the operator's
// notice: what was refused and what to do.
QString writeOptions(const QString &path, const QString &group, const OptionValues &values);

// The same off the UI thread, in the order asked. done (if any) gets the
// result on the UI thread, unless context (an object of the UI thread) is
// gone by then.
void writeOptionsLater(const QString &path, const QString &group, OptionValues values, QObject *context,
                       std::function<void(const QString &notice)> done = {});

// Returns once every write asked for so far is done, so that a part that
// reads the file reads what was last written.
void waitForOptionWrites();

} // namespace tavrin
