#include "session.h"

#include "journal_wiring.h"
#include "members.h"
#include "protocol.h"
#include "resume.h"
#include "rooms_ui.h"
#include "hold_link.h"
#include "holds.h"
#include "ready_link.h"
#include "schedule_link.h"
#include "speaker_link.h"
#include "schedule_wiring.h"
#include "language.h"
#include "options_file.h"
#include "texts.h"
#include "web_view.h"

#include <QAction>
#include <QApplication>
#include <QCommandLineParser>
#include <QDateTime>
#include <QDir>

#include <exception>

namespace tavrin {

void addCommandLineOptions(QCommandLineParser &parser)
{
    rooms::addCommandLineOptions(parser);
    web::addCommandLineOptions(parser);
    parser.addOption({QStringLiteral("programme"), texts::str(texts::cliProgramme), texts::str(texts::cliFile)});
    // Read before the parser, by language::choose; listed for the help.
    parser.addOption({QStringLiteral("language"), texts::str(texts::cliLanguage), texts::str(texts::cliLang)});
}

ProgrammeSeams Session::programmeSeams()
{
    return ProgrammeSeams{
        .boxes =
            [this] {
                const ExamState &s = engine_.state();
                return Programme::oneBlock(s.time1.value(), s.time2.value(), s.cycle.value());
            },
        .start = [this] { return startAt_.start(); },
        // The plan of a run stays the one it started with.
        .guard = [this] {
            return engine_.runState() == RunState::Idle ? QString() : texts::str(texts::programmeNotIdle);
        },
    };
}

SessionOptions sessionOptions(const QCommandLineParser &parser, bool parsed)
{
    SessionOptions options;
    options.optionsFile = QDir::current().filePath(QLatin1String(texts::optionsFile));
    options.rooms = rooms::loadOptions(options.optionsFile);
    options.refused = parsed ? rooms::applyCommandLine(parser, options.rooms) : parser.errorText();
    options.parser = &parser;
    return options;
}

Session::Session(SessionOptions options)
    : options_(std::move(options)), roomDisplay_(engine_.state(), form_, options_.optionsFile),
      journal_(QDir::currentPath())
{
    form_.attach(&engine_, &clock_);
    // A tick's cue sounds a fixed time after the second it was due on; a
    // cue asked for outside a tick (the chime, the sound check) at once.
    players_.setDueClock([this] { return engine_.ticking() ? clock_.dueWallMs() : 0; });
    engine_.addObserver(&outputPolicy_);
    // The candidates' display on a screen of its own (F5), and the sound check (F6).
    form_.setMirror(&roomDisplay_);
    engine_.addObserver(&roomDisplay_);
    roomDisplay_.addActionsTo(form_);
    // Every cue seen too, as a band along each display's edge from when it
    // is heard, and the dots' colours told by shape (Shift+F6, Shift+F5).
    form_.setAccess(&access_);
    QCoreApplication::instance()->installEventFilter(&dialogNames_);
    roomDisplay_.setAccess(&access_);
    access_.addActionsTo(form_);
    access_.setOnset([this] { return engine_.ticking() ? clock_.dueWallMs() + kCueDelayMs : 0; });
    access_.setCueLength([this](int n) {
        const int ms = players_.cueLengthMs(n);
        return ms > 0 ? ms : Access::kDefaultCueMs;
    });
    QObject::connect(&players_, &SoundBank::cueStarted, &access_, &Access::cueStarted);
    // Long enough for an idle output to wake; a cue never heard still shows.
    access_.setStartWaitMs(150);
    engine_.addObserver(&access_);
    engine_.addObserver(&soundCheck_);
    soundCheck_.addActionTo(form_);
    // The speaker's delay beyond what the sound server reports (F12).
    speaker_.addActionTo(form_);
    speaker_.load();
    // A start at a time of day (F9, Shift+F9, --start-at).
    engine_.addObserver(&startAt_);
    startAt_.addActionsTo(form_);
    // The programme of blocks and breaks (F4) and its timetable (Shift+F4).
    programmeEditor_.addActionTo(form_);
    timetable_.addActionTo(form_);
    // The screen stays on from the start of a run until a reset or exit.
    QObject::connect(&form_, &Form1::runStateChanged, &keeper_, &ScreenKeeper::follow);
    // The chosen programme makes the plan of the next run: at once when no
    // run is under way, else as soon as the one under way ends or is reset.
    const auto applyProgramme = [this](bool told) {
        // A room runs its controller's plan, whatever it chose itself.
        if (options_.rooms.role == rooms::Role::Room)
            return;
        const std::optional<Programme> &chosen = programme_.current();
        if (chosen.has_value() == engine_.programmed() && (!chosen || *chosen == engine_.plan()))
            return;
        if (chosen && options_.rooms.role == rooms::Role::Controller && !rooms::fitsOnWire(*chosen)) {
            if (told)
                form_.notify(texts::str(texts::programmeTooLargeForRooms));
            return;
        }
        if (engine_.setProgramme(chosen))
            return;
        if (told)
            form_.notify(texts::str(underWay(engine_.runState()) ? texts::programmeWaits
                                                                          : texts::programmeNotRunnable));
    };
    QObject::connect(&programme_, &ProgrammeChoice::changed, &form_, [applyProgramme] { applyProgramme(true); });
    QObject::connect(&form_, &Form1::runStateChanged, &form_, [applyProgramme](RunState state) {
        if (!underWay(state))
            applyProgramme(false);
    });
    QObject::connect(&players_, &SoundBank::done, &form_, [this](int n) { engine_.MMControl_done(n); });
    QObject::connect(&players_, &SoundBank::notice, &form_, [this](const QString &text) { form_.notify(text); });

    // Every run is journalled, from the start-up on, with every notice the
    // window shows; a run the operator aborts by closing the window is over.
    journal_.setCueSound([this](int n) { return players_.cueStatus(n); });
    QObject::connect(&players_, &SoundBank::cueLate, &journal_, &Journal::recordLateCue);
    QObject::connect(&players_, &SoundBank::cueDropped, &journal_, &Journal::recordDroppedCue);
    QObject::connect(&form_, &Form1::noticeShown, &journal_, &Journal::recordNotice);
    QObject::connect(&form_, &Form1::runAborted, &journal_, &Journal::abortRun);
    attachJournal(journal_, engine_, clock_, form_);

    // A room or the controller of an examination, when the settings say so.
    roomsUi_ = std::make_unique<rooms::RoomsUi>(form_, form_, engine_, clock_, players_, options_.optionsFile);
    QObject::connect(roomsUi_.get(), &rooms::RoomsUi::record, &journal_, &Journal::recordNotice);
    // A run aborted by closing the window ends in every room of its controller.
    QObject::connect(&form_, &Form1::runAborted, roomsUi_.get(), &rooms::RoomsUi::abortRun);
    QObject::connect(roomsUi_.get(), &rooms::RoomsUi::runAborted, &journal_, &Journal::recordAbort);
    // The controller's start at a time of day is every room's.
    scheduleLink_ = std::make_unique<rooms::ScheduleLink>(*roomsUi_, startAt_);
    // Readiness in a room's status, and the sound check its controller asks for.
    readyLink_ = std::make_unique<rooms::ReadyLink>(
        *roomsUi_, rooms::ReadySeams{
                       .screen = [this] {
                           return roomDisplay_.isOpen() && roomDisplay_.screen()
                                      ? RoomDisplay::describe(roomDisplay_.screen()).left(60)
                                      : QString();
                       },
                       .journalWritable = [this] { return journal_.recording(); },
                       .mayCheck = [this] { return soundCheck_.allowed(); },
                       .runCheck = [this] { soundCheck_.start(); },
                       .checking = [this] { return soundCheck_.playing(); },
                       .lastCheckMs = [this] { return soundCheck_.lastCheckMs(); },
                       .played = [this] { return soundCheck_.played(); },
                       .speakerDelayMs = [this] { return players_.speakerDelayMs(); },
                       .sink = [this] { return players_.sink(); },
                   });
    QObject::connect(&soundCheck_, &SoundCheck::checked, roomsUi_.get(), [this] { readyLink_->changed(); });
    QObject::connect(&roomDisplay_, &RoomDisplay::openChanged, roomsUi_.get(), [this] { readyLink_->changed(); });
    QObject::connect(&players_, &SoundBank::speakerChanged, roomsUi_.get(), [this] { readyLink_->changed(); });
    // One room held and brought back: each hold goes to the record once it ends.
    holdLink_ = std::make_unique<rooms::HoldLink>(*roomsUi_, form_, roomsUi_->statusDialog());
    QObject::connect(holdLink_.get(), &rooms::HoldLink::incident, &journal_, [this](const rooms::HoldIncident &h) {
        journal_.recordHold({h.room, rooms::holdByName(h.by), h.fromMs, h.toMs, h.firstLost, h.lastLost, h.lost,
                             h.open, h.released, h.question, h.part});
    });
    // A room held when its program stopped comes back held, as it was.
    roomsUi_->setKeptHold([this]() -> std::optional<rooms::KeptHold> {
        const std::optional<journal::HoldEntry> h = journal_.takeOpenHold();
        if (!h || h->room != options_.rooms.room)
            return std::nullopt;
        rooms::HoldView v;
        v.held = true;
        v.by = h->by == rooms::holdByName(rooms::HoldBy::Room) ? rooms::HoldBy::Room : rooms::HoldBy::Controller;
        v.sinceMs = h->fromMs;
        v.question = h->question;
        v.released = h->released;
        return rooms::KeptHold{v, h->part};
    });
    // A held room's caption fills the question number's place at a size that fits.
    QObject::connect(holdLink_.get(), &rooms::HoldLink::captionShown, &form_, [this](const QString &caption) {
        if (!heldFont_)
            heldFont_ = form_.questionFont();
        form_.setQuestionFont(caption.isEmpty() ? *heldFont_ : form_.questionFontFor(*heldFont_, caption));
        if (caption.isEmpty())
            heldFont_.reset();
    });
    // A room's speaker correction set from the controller's board, as F12 sets it here.
    speakerLink_ = std::make_unique<rooms::SpeakerLink>(
        *roomsUi_, form_, roomsUi_->statusDialog(),
        rooms::SpeakerSeams{.current = [this] { return players_.speakerDelayMs(); },
                            .apply = [this](int ms) { return speaker_.set(QString::number(ms)); }});
    // Every cue's proof: a room keeps its own until sent; the controller takes them.
    QObject::connect(roomsUi_.get(), &rooms::RoomsUi::cuePlayed, &journal_, &Journal::recordPlayedCue);
    roomsUi_->setUnsentReports([this] { return journal_.takeUnsentCues(); });
    // With no controller to follow soon after its start, a room goes on
    // with its own interrupted run, on that run's grid.
    roomsUi_->setKeptRun([this]() -> std::optional<rooms::KeptRun> {
        const std::optional<ResumePoint> point = carryOnAlone(journal_);
        if (!point)
            return std::nullopt;
        return rooms::KeptRun{point->last, point->markTickWallMs};
    });

    QObject::connect(&endSignals_, &EndSignals::endRequested, &form_,
                     [this](const QString &signal) { endBySystem(signal); });
}

Session::~Session() = default;

void Session::start()
{
    // A room follows its controller's run, not its own journal's: no question.
    const bool followsController =
        options_.refused.isEmpty() && options_.rooms.role == rooms::Role::Room;
    // Opened once everything is wired, so that its faults are told and
    // recorded like any other notice.
    journal_.open();
    try {
        engine_.Form_Load(QCoreApplication::applicationDirPath(), QDir::currentPath());
        interrupted_ = journal_.interruptedRun().has_value();
        // Before the window takes any input: an examination that was
        // interrupted is offered back first.
        startJournal(journal_, engine_, clock_, form_, {.askToResume = !followsController});
    } catch (const std::exception &e) {
        // Start all the same: the operator is told, and the window is usable.
        form_.notify(texts::str(texts::internalError).arg(QString::fromLocal8Bit(e.what())));
    }
    // The room display in browsers too: --web, and the menu.
    if (options_.parser) {
        web::WebView *web = web::attach(engine_, form_, clock_, roomDisplay_, options_.optionsFile, *options_.parser);
        QObject::connect(&startAt_, &ScheduledStart::countdownChanged, web, &web::WebView::setCountdown);
        // A held room's caption stands in the browsers where a countdown would.
        QObject::connect(holdLink_.get(), &rooms::HoldLink::captionShown, web, &web::WebView::setCountdown);
        web->setAccess(&access_);
    }
    // The file given, or the one last used; one refused leaves the three boxes.
    programmeEditor_.load(options_.parser ? options_.parser->value(QStringLiteral("programme")) : QString());
    addLanguageAction();
    if (!options_.languageRefused.isNull())
        form_.notify(texts::str(texts::languageRefused).arg(options_.languageRefused));
    roomsUi_->setResumeDecided(interrupted_);
    if (!options_.refused.isEmpty())
        form_.notify(texts::str(texts::cliRefused).arg(options_.refused));
    else
        roomsUi_->start(options_.rooms);
    attachScheduledStart(startAt_, journal_, engine_, clock_, form_,
                         {.restore = !followsController,
                          .startAt = options_.parser ? options_.parser->value(QStringLiteral("start-at")) : QString()});
}

int Session::run()
{
    start();
    int status = 0;
    // A signal during the question at start-up ended its loop; the main one
    // is not started then.
    if (endedBy_.isEmpty()) {
        form_.show();
        form_.focusFirstBox();
        status = QApplication::exec();
    }
    if (endedBy_.isEmpty())
        journal_.finish(Journal::Ending::Window);
    else
        journal_.finish(Journal::Ending::System, endedBy_);
    return status;
}

void Session::endBySystem(const QString &signal)
{
    if (!endedBy_.isEmpty())
        return;
    endedBy_ = signal;
    // Every event loop ends, a question's too; the run under way is left as
    // it stands, for the next start to offer back.
    QCoreApplication::exit(0);
}

} // namespace tavrin

namespace tavrin {

// F3: the other language, from the next start. Switching the texts of open
// windows mid-run would leave some in each language, so the choice waits.
void Session::addLanguageAction()
{
    const bool english = !language::isJapanese();
    QAction *action = form_.addMenuAction(texts::str(english ? texts::languageToJapanese : texts::languageToEnglish),
                                          QKeySequence(Qt::Key_F3));
    QObject::connect(action, &QAction::triggered, &form_, [this, english] {
        const QString next = QLatin1String(english ? language::japanese : language::english);
        const QString path = options_.optionsFile;
        writeOptionsLater(path, QLatin1String(language::optionsGroup),
                          {{QLatin1String(language::optionsKey), next}}, &form_,
                          [this, path, english](const QString &notice) {
                              if (!notice.isEmpty()) {
                                  form_.notify(notice);
                                  return;
                              }
                              form_.notify(texts::str(texts::languageChosen)
                                               .arg(texts::str(english ? texts::languageJapanese
                                                                       : texts::languageEnglish),
                                                    QDir::toNativeSeparators(path)));
                          });
    });
}

} // namespace tavrin
