#include "engine.h"
#include "form1.h"
#include "journal.h"
#include "journal_wiring.h"
#include "output_policy.h"
#include "room_display.h"
#include "screen_keeper.h"
#include "sound_bank.h"
#include "sound_check.h"
#include "texts.h"

#include <QApplication>
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

    tavrin::Form1 form;
    tavrin::SoundBank players(&form);
    tavrin::Engine engine(form, players);
    form.attach(&engine);
    tavrin::OutputPolicy outputPolicy(players);
    engine.addObserver(&outputPolicy);
    // The candidates' display on a screen of its own (F5), and the sound check (F6).
    tavrin::RoomDisplay room(engine.state(), form,
                             QDir::current().filePath(QLatin1String(tavrin::texts::optionsFile)));
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

    try {
        engine.Form_Load(QCoreApplication::applicationDirPath(), QDir::currentPath());
        // Before the window takes any input: an examination that was
        // interrupted is offered back first.
        tavrin::startJournal(journal, engine, form);
    } catch (const std::exception &e) {
        // Start all the same: the operator is told, and the window is usable.
        form.notify(QString::fromUtf16(tavrin::texts::internalError).arg(QString::fromLocal8Bit(e.what())));
    }
    form.show();
    form.Text1->setFocus();
    const int status = app.exec();
    journal.finish();
    return status;
}
