#include "options.h"
#include "session.h"
#include "texts.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <csignal>

int main(int argc, char *argv[])
{
    // A limit on file sizes makes the journal's writes fail, and be reported;
    // it must not end the examination.
    std::signal(SIGXFSZ, SIG_IGN);

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tavrin"));
    QApplication::setDesktopFileName(QStringLiteral("io.github.tavrin.Tavrin"));
    // Qt's own texts (standard buttons, file dialogs, a text box's menu) in
    // Japanese like the rest of the window, whatever the system's language.
    QTranslator qtTexts;
    if (qtTexts.load(QLocale(QLocale::Japanese, QLocale::Japan), QStringLiteral("qtbase"), QStringLiteral("_"),
                     QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(&qtTexts);

    QApplication::setApplicationVersion(QString::fromUtf16(TAVRIN_VERSION));

    // Without options the program is the one-room timer it always was.
    QCommandLineParser parser;
    tavrin::rooms::addCommandLineOptions(parser);
    const bool parsed = parser.parse(QCoreApplication::arguments());
    if (parser.isSet(QStringLiteral("help")) || parser.isSet(QStringLiteral("help-all")))
        parser.showHelp(0);
    if (parser.isSet(QStringLiteral("version")))
        parser.showVersion();
    tavrin::SessionOptions options;
    options.optionsFile = QDir::current().filePath(QLatin1String(tavrin::texts::optionsFile));
    options.rooms = tavrin::rooms::loadOptions(options.optionsFile);
    options.refused = parsed ? tavrin::rooms::applyCommandLine(parser, options.rooms) : parser.errorText();

    tavrin::Session session(std::move(options));
    return session.run();
}
