#include "language.h"

#include "texts.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QLocale>
#include <QSettings>
#include <QTranslator>

#include <algorithm>

namespace tavrin::language {

namespace {

QString g_current = QLatin1String(japanese);

QString programTranslation(const QString &code)
{
    return QStringLiteral(":/i18n/tavrin_%1.qm").arg(code);
}

} // namespace

std::optional<QString> parse(const QString &code)
{
    const QString c = code.trimmed().toLower();
    // Codes only: nothing that could reach outside the resources.
    if (c.size() < 2 || c.size() > 8 || !std::all_of(c.begin(), c.end(), [](QChar ch) {
            return (ch >= u'a' && ch <= u'z') || ch == u'_';
        }))
        return std::nullopt;
    if (c == QLatin1String(japanese) || QFile::exists(programTranslation(c)))
        return c;
    return std::nullopt;
}

QString choose(const QStringList &arguments, const QString &optionsPath, QString *refused)
{
    QString given;
    bool asked = false;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString &a = arguments[i];
        if (a == QLatin1String("--language") && i + 1 < arguments.size()) {
            given = arguments[i + 1];
            asked = true;
        } else if (a.startsWith(QLatin1String("--language="))) {
            given = a.mid(11);
            asked = true;
        }
    }
    if (!asked && QFileInfo(optionsPath).isFile()) {
        const QSettings ini(optionsPath, QSettings::IniFormat);
        given = ini.value(QLatin1String(optionsGroup) + u'/' + QLatin1String(optionsKey)).toString();
        asked = !given.isEmpty();
    }
    if (!asked)
        return QLatin1String(japanese);
    if (const auto code = parse(given))
        return *code;
    if (refused)
        *refused = given.left(40);
    return QLatin1String(japanese);
}

void install(const QString &code)
{
    // Kept for the program's life: the application only borrows them.
    static QTranslator program;
    static QTranslator qt;
    QCoreApplication::removeTranslator(&program);
    QCoreApplication::removeTranslator(&qt);
    g_current = code;
    if (code != QLatin1String(japanese) && program.load(programTranslation(code)))
        QCoreApplication::installTranslator(&program);
    // Qt's own texts (standard buttons, file dialogs, a text box's menu) in
    // the same language, whatever the system's; English is Qt's own.
    if (code != QLatin1String(english) &&
        qt.load(QLocale(code), QStringLiteral("qtbase"), QStringLiteral("_"),
                QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(&qt);
}

QString current()
{
    return g_current;
}

bool isJapanese()
{
    return g_current == QLatin1String(japanese);
}

QString helpFileName()
{
    if (isJapanese())
        return QLatin1String(texts::helpFile);
    return QStringLiteral("Tavrin-%1.chm").arg(g_current);
}

} // namespace tavrin::language
