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
};

// Fills time1, time2, cycle, c(1)..c(3), message1, message2, tamasu and fkc
// from "Tavrin.cfg" in dir, or from the defaults when the file is absent.
// Never throws: a value that cannot be read keeps its default and is reported.
SettingsLoadReport loadSettings(ExamState &st, const QString &dir);

// Writes the same fields to "Tavrin.cfg" in dir, all or nothing. With
// keepBackup, the file found there is first copied to "Tavrin.cfg.bak".
SettingsSaveReport saveSettings(const ExamState &st, const QString &dir, bool keepBackup);

} // namespace tavrin
