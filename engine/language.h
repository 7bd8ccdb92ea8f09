#pragma once

// The language the program speaks, by its code: "ja", its own, unless
// another is chosen with --language, the options file or the menu; any
// language whose translation is built in (translations/tavrin_<code>.ts)
// can be. It is set once at start, before any window, so every text is
// shown in one language; a choice from the menu takes effect at the next
// start.

#include <QString>
#include <QStringList>

#include <optional>

namespace tavrin::language {

inline constexpr char japanese[] = "ja";
inline constexpr char english[] = "en";

// The code, in lower case, when it is Japanese or a built-in translation.
std::optional<QString> parse(const QString &code);

// The options file's group and key for the choice.
inline constexpr char optionsGroup[] = "ui";
inline constexpr char optionsKey[] = "language";

// The language asked for: --language in arguments first, then the options
// file at optionsPath, else Japanese. An unknown choice is told in refused
// (what was given) and Japanese is used.
QString choose(const QStringList &arguments, const QString &optionsPath, QString *refused = nullptr);

// Loads the program's and Qt's own texts for code and makes it current.
void install(const QString &code);

QString current();
bool isJapanese();

// The help file of the current language, beside the executable:
// Tavrin.chm, or Tavrin-<code>.chm.
QString helpFileName();

} // namespace tavrin::language
