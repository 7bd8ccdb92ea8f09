#pragma once

#include <QSqlDatabase>
#include <QString>

#include <span>

namespace tavrin::journal {

// The journal's tables, version by version. Step n takes a file at version n
// to version n + 1; a fresh file runs them all. Each step runs in a
// transaction of its own, so a file is always at one whole version.
using Step = const char *const *; // SQL statements, ending in nullptr
std::span<const Step> steps();
inline constexpr int kApplicationId = 0x54617672; // "Tavr": which files are ours

struct Migration {
    bool ok = false;
    int from = 0;
    int to = 0;
    QString error;
};
// Brings db from its PRAGMA user_version up to steps.size(); a file from a
// newer program (a version beyond that) is left as it is and refused.
Migration migrate(QSqlDatabase &db, std::span<const Step> steps = journal::steps());

} // namespace tavrin::journal
