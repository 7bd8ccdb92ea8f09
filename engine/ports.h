#pragma once

#include "colour.h"
#include "exam_state.h"

#include <QString>
#include <QStringView>
#include <QtGlobal>

#include <array>
#include <optional>
#include <string_view>

namespace tavrin {

enum class Button { Command1, Command2, Command3, Command4 };
enum class Banner { Move /* Label17 */, End /* Label15 */ };
// Text1..Text4, numbered as the window numbers them.
enum class TextBox { Text1 = 1, Text2, Text3, Text4 };
// What the operator chose after the settings could not be saved at exit.
enum class FailedSaveChoice {
    Retry,
    CloseWithoutSaving,
    BackToWindow,         // nothing happens: the window goes on as it was
    OverwriteWithoutCopy, // the old file's copy cannot be made: write over it all the same
};

// What the engine needs of the main window: its run-time properties and its
// drawing surface. The engine never touches a widget directly.
class WindowPort {
public:
    virtual ~WindowPort() = default;

    virtual QString buttonCaption(Button b) const = 0;
    virtual void setButtonCaption(Button b, const QString &caption) = 0;
    virtual void setButtonColour(Button b, Colour colour) = 0;

    virtual void setQuestionNumber(const QString &caption) = 0; // Label14

    virtual void setBannerCaption(Banner b, const QString &caption) = 0;
    virtual void setBannerVisible(Banner b, bool visible) = 0;
    // Banner geometry in pixels and font size in points. The getters report
    // what the label actually holds, which the layout reads back.
    virtual void setBannerFontSize(Banner b, float points) = 0;
    virtual float bannerFontSize(Banner b) const = 0;
    virtual void setBannerWidth(Banner b, float width) = 0;
    virtual float bannerWidth(Banner b) const = 0;
    // The rest of the banner's geometry, in one go once the width is known.
    virtual void placeBanner(Banner b, float left, float top, float height) = 0;

    virtual QString text(TextBox box) const = 0;
    virtual void setText(TextBox box, const QString &text) = 0;
    // The one typing constraint the time boxes get at start-up (3: input
    // method off, so only plain single-byte characters can be typed).
    virtual void setImeMode(TextBox box, int mode) = 0;

    virtual int comboIndex() const = 0;   // Combo1, -1 when nothing is selected
    virtual void setComboIndex(int index) = 0;

    virtual float innerWidth() const = 0; // pixels
    virtual void setPixelScale() = 0;
    virtual void clearDrawing() = 0;
    // Dot n of the grid: a filled circle with an outline of the same colour.
    // The number lets a second display lay the dot out for its own width.
    virtual void drawDot(qint32 n, float x, float y, float radius, Colour colour) = 0;

    virtual void setTimerInterval(int milliseconds) = 0; // Timer1
    virtual void setHelpFile(const QString &path) = 0;
    virtual void sendHelpKey() = 0;  // F1 to the window, not awaited
    virtual bool openDocument(const QString &path) = 0; // with the desktop's handler

    // A message to the operator that does not hold up the clock.
    virtual void notify(const QString &text) = 0;
    // The settings could not be saved at exit (text says why): asks the
    // operator whether to try again, close without saving or go back to the
    // window, and waits. With noCopy the copy of the old file was what could
    // not be made, and writing over it without one is offered instead of a
    // retry.
    virtual FailedSaveChoice askAfterFailedSave(const QString &text, bool noCopy) = 0;
    virtual void endProgram() = 0;
};

enum class PlayerCommand { Open, Play, Stop, Prev, Close };

// What a player sounds like when it plays.
enum class CueSource {
    NotOpen, // not opened yet, or closed: nobody knows
    OwnFile, // the file it was given
    BuiltIn, // the built-in sound of its role, because of reason
    Silent,  // nothing at all, because of reason
};

// The one name of each source wherever one is stored or sent: the journal's
// tables and the rooms' messages. The table is in the enum's order.
struct CueSourceKey {
    CueSource source;
    std::string_view key;
};
inline constexpr CueSourceKey kCueSourceKeys[] = {
    {CueSource::NotOpen, "unknown"},
    {CueSource::OwnFile, "own"},
    {CueSource::BuiltIn, "builtin"},
    {CueSource::Silent, "silent"},
};
constexpr bool cueSourceKeysInOrder()
{
    for (std::size_t i = 0; i < std::size(kCueSourceKeys); ++i)
        if (static_cast<std::size_t>(kCueSourceKeys[i].source) != i)
            return false;
    return std::size(kCueSourceKeys) == static_cast<std::size_t>(CueSource::Silent) + 1;
}
static_assert(cueSourceKeysInOrder(), "one key per CueSource, in the enum's order");

constexpr std::string_view cueSourceKey(CueSource s)
{
    return kCueSourceKeys[static_cast<std::size_t>(s)].key;
}
inline QString cueSourceName(CueSource s)
{
    const std::string_view k = cueSourceKey(s);
    return QString::fromLatin1(k.data(), qsizetype(k.size()));
}
// Empty for a name that is none of them.
inline std::optional<CueSource> cueSourceFromKey(QStringView key)
{
    for (const CueSourceKey &k : kCueSourceKeys)
        if (key == QLatin1String(k.key.data(), qsizetype(k.key.size())))
            return k.source;
    return std::nullopt;
}

struct CueStatus {
    CueSource source = CueSource::NotOpen;
    QString file;   // the file it was given, as given
    QString reason; // why not its own file, for the operator
};

// A tick's cue starts this long after the second it was due on: time for
// the tick to be handled and for the cue's period to reach the device, so
// that every Tavrin on the same grid starts it on the same sample.
inline constexpr int kCueDelayMs = 80;

// A cue as it was played, for the proof that it was: every time on the
// controller's clock (ms since 1970).
struct PlayedCue {
    QString room;          // empty: the controller's own
    qint64 dueMs = 0;      // the second of the grid its tick was due on
    int player = 0;        // 1..4
    int question = 0;      // the question and second the tick showed
    int second = 0;
    qint64 startedMs = 0;  // its first sample at the device; 0: not known (nothing was heard)
    double offsetMs = 0;   // the room's clock minus the controller's, as used
    CueSource source = CueSource::NotOpen;
    // How far it started from where it should have: due + kCueDelayMs.
    qint64 deviationMs() const { return startedMs - dueMs - kCueDelayMs; }
    friend bool operator==(const PlayedCue &, const PlayedCue &) = default;
};

// Where the proof of a played cue stands: a room keeps it until it is sent
// to the controller; the controller has taken it (or played it itself).
// Resent: sent just before the connection was lost, so perhaps never
// arrived; kept as unsent again until it goes out once more.
enum class CueProof { Kept, Sent, Taken, Resent };

// The four cue players, numbered 1 to 4.
class CuePlayers {
public:
    virtual ~CuePlayers() = default;
    virtual void setNotify(int player, bool on) = 0;   // completion events wanted
    virtual void setFileName(int player, const QString &file) = 0;
    virtual void command(int player, PlayerCommand cmd) = 0;
};

// What happened in a run, as it happens: for whoever keeps a record of it or
// passes it on to other rooms.
enum class RunEventKind {
    ProgramStart, // start-up has finished
    Start,
    Pause,
    Resume,
    Reset,
    Question,     // the first second of a question is being shown
    Tick,         // a second of a run has been shown
    Cue,          // a player was told to play (player)
    End,          // the examination has ended
    TimeEntry,    // times taken with Enter (before: the old time1, time2, cycle)
    FontFactor,   // another font factor chosen (before[0]: the old index)
    Adopted,      // the run was set to a given state (resumed, or followed)
    Exit,         // the exit button ends the program
    TickHandled,  // a tick of the clock is over: its drawing, its cue and its events
};

struct RunEvent {
    RunEventKind kind = RunEventKind::Tick;
    int player = 0;
    std::array<int, 3> before{};
};

class RunObserver {
public:
    virtual ~RunObserver() = default;
    // Called after the change, with the state as it now stands.
    virtual void runEvent(const RunEvent &event, const ExamState &state) = 0;
};

} // namespace tavrin
