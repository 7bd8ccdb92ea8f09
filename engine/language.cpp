#include "language.h"

#include "texts.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QLocale>
#include <QSettings>
#include <QTranslator>

namespace tavrin::language {

namespace {

Language g_current = Language::Japanese;

} // namespace

std::optional<Language> parse(const QString &code)
{
    const QString c = code.trimmed().toLower();
    if (c == QLatin1String("ja"))
        return Language::Japanese;
    if (c == QLatin1String("en"))
        return Language::English;
    return std::nullopt;
}

QString code(Language lang)
{
    return lang == Language::English ? QStringLiteral("en") : QStringLiteral("ja");
}

Language choose(const QStringList &arguments, const QString &optionsPath, QString *refused)
{
    QString given;
    bool fromCommandLine = false;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString &a = arguments[i];
        if (a == QLatin1String("--language") && i + 1 < arguments.size()) {
            given = arguments[i + 1];
            fromCommandLine = true;
        } else if (a.startsWith(QLatin1String("--language="))) {
            given = a.mid(11);
            fromCommandLine = true;
        }
    }
    if (!fromCommandLine && QFileInfo(optionsPath).isFile()) {
        const QSettings ini(optionsPath, QSettings::IniFormat);
        given = ini.value(QLatin1String(optionsGroup) + u'/' + QLatin1String(optionsKey)).toString();
        if (given.isEmpty())
            return Language::Japanese;
    }
    if (given.isEmpty() && !fromCommandLine)
        return Language::Japanese;
    if (const auto lang = parse(given))
        return *lang;
    if (refused)
        *refused = given.left(40);
    return Language::Japanese;
}

void install(Language lang)
{
    // Kept for the program's life: the application only borrows them.
    static QTranslator program;
    static QTranslator qt;
    QCoreApplication::removeTranslator(&program);
    QCoreApplication::removeTranslator(&qt);
    g_current = lang;
    if (lang == Language::English) {
        if (program.load(QStringLiteral(":/i18n/tavrin_en.qm")))
            QCoreApplication::installTranslator(&program);
        // Qt's own dialogs speak English untranslated.
        return;
    }
    // Qt's own texts (standard buttons, file dialogs, a text box's menu) in
    // Japanese like the rest of the window, whatever the system's language.
    if (qt.load(QLocale(QLocale::Japanese, QLocale::Japan), QStringLiteral("qtbase"), QStringLiteral("_"),
                QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(&qt);
}

Language current()
{
    return g_current;
}

QString helpFileName()
{
    return QLatin1String(g_current == Language::English ? texts::helpFileEnglish : texts::helpFile);
}

} // namespace tavrin::language
