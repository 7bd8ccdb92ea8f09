#pragma once

#include "access.h"
#include "end_signals.h"
#include "engine.h"
#include "form1.h"
#include "journal.h"
#include "options.h"
#include "output_policy.h"
#include "phase_timer.h"
#include "programme_choice.h"
#include "programme_dialog.h"
#include "room_display.h"
#include "scheduled_start.h"
#include "screen_keeper.h"
#include "sound_bank.h"
#include "sound_check.h"
#include "speaker_delay.h"
#include "timetable.h"

#include <QString>

#include <memory>
#include <optional>

class QCommandLineParser;

namespace tavrin {

namespace rooms {
class RoomsUi;
class ScheduleLink;
class ReadyLink;
class HoldLink;
class SpeakerLink;
}

struct SessionOptions {
    QString optionsFile;          // Tavrin-options.ini in the working folder
    rooms::RoomsOptions rooms;    // from that file and the command line
    QString refused;              // what the command line asked that was refused
    QString languageRefused;      // a language asked for that is not known
    const QCommandLineParser *parser = nullptr; // for the parts that read options of their own
};

// The program's command line: the rooms' options and the browser view's.
void addCommandLineOptions(QCommandLineParser &parser);
// What the program runs with: the options file in the working folder, and
// over it what the command line sets (parsed: whether it could be parsed).
SessionOptions sessionOptions(const QCommandLineParser &parser, bool parsed);

// The program put together: the clock, the window, the players and their
// output policy, the journal, the candidates' display, the sound check, the
// rooms and the screen keeper. Each part is wired in the constructor; the
// engine's own events (the tick over, a run state changed) order what
// follows a tick, not the order in which the parts were attached.
class Session {
public:
    explicit Session(SessionOptions options);
    ~Session();

    // Start-up, the question after an interruption, the window, the event
    // loop and the end: the program's exit status.
    int run();

    // The parts, for the benchmarks that measure the program as it runs.
    Engine &engine() { return engine_; }
    Form1 &form() { return form_; }
    SoundBank &players() { return players_; }
    Journal &journal() { return journal_; }
    rooms::RoomsUi &rooms() { return *roomsUi_; }
    ProgrammeChoice &programme() { return programme_; }

private:
    void addLanguageAction();
    void start();
    void endBySystem(const QString &signal);

    SessionOptions options_;
    PhaseTimer clock_;
    ProgrammeChoice programme_;
    Form1 form_;
    SoundBank players_{&form_};
    Engine engine_{form_, players_};
    OutputPolicy outputPolicy_{players_, engine_};
    RoomDisplay roomDisplay_;
    Access access_{options_.optionsFile};
    DialogNames dialogNames_;
    SoundCheck soundCheck_{players_, engine_, form_};
    SpeakerDelay speaker_{players_, clock_, form_, options_.optionsFile};
    ScheduledStart startAt_{engine_, form_, clock_};
    ProgrammeSeams programmeSeams();
    ProgrammeEditor programmeEditor_{form_, programme_, programmeSeams(), options_.optionsFile};
    Timetable timetable_{form_, programme_, programmeSeams().boxes, programmeSeams().start};
    ScreenKeeper keeper_;
    Journal journal_;
    std::unique_ptr<rooms::RoomsUi> roomsUi_;
    std::unique_ptr<rooms::ScheduleLink> scheduleLink_;
    std::unique_ptr<rooms::ReadyLink> readyLink_;
    std::unique_ptr<rooms::HoldLink> holdLink_;
    std::unique_ptr<rooms::SpeakerLink> speakerLink_;
    std::optional<QFont> heldFont_; // the question number's own, while a hold's caption stands there
    EndSignals endSignals_;
    bool interrupted_ = false;
    QString endedBy_; // the signal that ended the program, if one did
};

} // namespace tavrin
