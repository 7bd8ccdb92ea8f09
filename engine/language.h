#pragma once

// The language the program speaks: Japanese, its own, unless English is
// chosen with --language, the options file or the menu. It is set once at
// start, before any window, so every text is shown in one language; a
// choice from the menu takes effect at the next start.

#include <QString>
#include <QStringList>

#include <optional>

namespace tavrin::language {

enum class Language { Japanese, English };

// "ja" or "en" (any case, surrounding blanks ignored); nothing otherwise.
std::optional<Language> parse(const QString &code);
QString code(Language lang);

// The options file's group and key for the choice.
inline constexpr char optionsGroup[] = "ui";
inline constexpr char optionsKey[] = "language";

// The language asked for: --language in arguments first, then the options
// file at optionsPath, else Japanese. An unreadable choice is told in
// refused (what was given, what is used) and Japanese is used.
Language choose(const QStringList &arguments, const QString &optionsPath, QString *refused = nullptr);

// Loads the program's and Qt's own texts for lang and makes lang current.
// Japanese needs no program translation; English needs none from Qt.
void install(Language lang);

Language current();

// The help file of the current language, beside the executable.
QString helpFileName();

} // namespace tavrin::language
