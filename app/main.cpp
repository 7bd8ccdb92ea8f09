#include "engine.h"
#include "form1.h"
#include "journal.h"
#include "journal_wiring.h"
#include "members.h"
#include "output_policy.h"
#include "resume.h"
#include "room_display.h"
#include "rooms_ui.h"
#include "screen_keeper.h"
#include "sound_bank.h"
#include "sound_check.h"
#include "texts.h"
#include "web_view.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDateTime>
#include <QDir>
#include <csignal>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <exception>

namespace {
tavrin::CueSound cueSound(const tavrin::SoundBank &players, int n)
{
    const tavrin::CueStatus s = players.cueStatus(n);
    using Source = tavrin::CueSound::Source;
    const Source source = s.source == tavrin::CueSource::OwnFile   ? Source::OwnFile
                          : s.source == tavrin::CueSource::BuiltIn ? Source::BuiltIn
                          : s.source == tavrin::CueSource::Silent  ? Source::Silent
                                                                   : Source::Unknown;
    return {source, s.file, s.reason};
}
} // namespace

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
    tavrin::web::addCommandLineOptions(parser);
    const bool parsed = parser.parse(QCoreApplication::arguments());
    if (parser.isSet(QStringLiteral("help")) || parser.isSet(QStringLiteral("help-all")))
        parser.showHelp(0);
    if (parser.isSet(QStringLiteral("version")))
        parser.showVersion();
    const QString optionsFile = QDir::current().filePath(QLatin1String(tavrin::texts::optionsFile));
    tavrin::rooms::RoomsOptions rooms = tavrin::rooms::loadOptions(optionsFile);
    const QString refused = parsed ? tavrin::rooms::applyCommandLine(parser, rooms) : parser.errorText();

    tavrin::Form1 form;
    tavrin::SoundBank players(&form);
    tavrin::Engine engine(form, players);
    form.attach(&engine);
    tavrin::OutputPolicy outputPolicy(players);
    engine.addObserver(&outputPolicy);
    // The candidates' display on a screen of its own (F5), and the sound check (F6).
    tavrin::RoomDisplay room(engine.state(), form, optionsFile);
    form.setMirror(&room);
    engine.addObserver(&room);
    room.addActionsTo(form);
    tavrin::SoundCheck soundCheck(players, engine, form);
    engine.addObserver(&soundCheck);
    soundCheck.addActionTo(form);
    // The screen stays on from the start of a run until a reset or exit.
    tavrin::ScreenKeeper keeper;
    QObject::connect(&form, &tavrin::Form1::runStateChanged, &keeper, &tavrin::ScreenKeeper::follow);
    QObject::connect(&players, &tavrin::SoundBank::done, &form, [&engine](int n) { engine.MMControl_done(n); });
    QObject::connect(&players, &tavrin::SoundBank::notice, &form,
                     [&form](const QString &text) { form.notify(text); });

    // Every run is journalled, from the start-up on.
    tavrin::Journal journal(QDir::currentPath());
    journal.setCueSound([&players](int n) { return cueSound(players, n); });
    tavrin::attachJournal(journal, engine, form);

    // A room follows its controller's run, not its own journal's: no question.
    const bool followsController = refused.isEmpty() && rooms.role == tavrin::rooms::Role::Room;
    bool interrupted = false;
    try {
        engine.Form_Load(QCoreApplication::applicationDirPath(), QDir::currentPath());
        interrupted = journal.interruptedRun().has_value();
        // Before the window takes any input: an examination that was
        // interrupted is offered back first.
        tavrin::startJournal(journal, engine, form, {.askToResume = !followsController});
    } catch (const std::exception &e) {
        // Start all the same: the operator is told, and the window is usable.
        form.notify(QString::fromUtf16(tavrin::texts::internalError).arg(QString::fromLocal8Bit(e.what())));
    }
    // The room display in browsers too: --web, and the menu.
    tavrin::web::attach(engine, form, room, optionsFile, parser);
    // A room or the controller of an examination, when the settings say so.
    tavrin::rooms::RoomsUi roomsUi(form, engine, players, optionsFile);
    QObject::connect(&roomsUi, &tavrin::rooms::RoomsUi::record, &journal, &tavrin::Journal::recordNotice);
    roomsUi.setResumeDecided(interrupted);
    // With no controller to follow soon after its start, a room goes on
    // with its own interrupted run, on that run's grid.
    roomsUi.setKeptRun([&journal]() -> std::optional<tavrin::rooms::KeptRun> {
        const auto point = tavrin::resumePoint(journal, QDateTime::currentMSecsSinceEpoch());
        if (!point)
            return std::nullopt;
        journal.continueRun(point->run, QString::fromUtf16(tavrin::texts::resumedNow));
        // The mark's own tick was due one period before the next one.
        return tavrin::rooms::KeptRun{point->last, point->gridAnchorWallMs - 1000};
    });
    if (!refused.isEmpty()) {
        form.notify(QString::fromUtf16(tavrin::texts::cliRefused).arg(refused));
    } else {
        roomsUi.start(rooms);
    }
    form.show();
    form.Text1->setFocus();
    const int status = app.exec();
    journal.finish();
    return status;
}
