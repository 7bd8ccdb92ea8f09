#include "language.h"
#include "session.h"
#include "texts.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <clocale>
#include <csignal>
#include <langinfo.h>

int main(int argc, char *argv[])
{
    // A limit on file sizes makes the journal's writes fail, and be reported;
    // it must not end the examination.
    std::signal(SIGXFSZ, SIG_IGN);

    QApplication app(argc, argv);
    // Qt takes every 8-bit text for UTF-8, but Xlib hands the window's title
    // to window managers (WM_NAME) in the encoding of LC_CTYPE: with LANG
    // unset or a non-UTF-8 locale, the Japanese titles would reach them
    // garbled. Newer Qt versions switch LC_CTYPE like this by themselves.
    if (qstricmp(nl_langinfo(CODESET), "UTF-8") != 0)
        std::setlocale(LC_CTYPE, "C.UTF-8");
    QApplication::setApplicationName(QStringLiteral("Tavrin"));
    QApplication::setDesktopFileName(QStringLiteral("io.github.tavrin.Tavrin"));
    // The language before any text is made: the command line's help too.
    QString languageRefused;
    tavrin::language::install(tavrin::language::choose(
        QCoreApplication::arguments(), QDir::current().filePath(QLatin1String(tavrin::texts::optionsFile)),
        &languageRefused));

    QApplication::setApplicationVersion(QString::fromUtf16(TAVRIN_VERSION));

    // Without options the program is the one-room timer it always was.
    QCommandLineParser parser;
    tavrin::addCommandLineOptions(parser);
    const bool parsed = parser.parse(QCoreApplication::arguments());
    if (parser.isSet(QStringLiteral("help")) || parser.isSet(QStringLiteral("help-all")))
        parser.showHelp(0);
    if (parser.isSet(QStringLiteral("version")))
        parser.showVersion();
    tavrin::SessionOptions options = tavrin::sessionOptions(parser, parsed);
    options.languageRefused = languageRefused;
    tavrin::Session session(std::move(options));
    return session.run();
}
