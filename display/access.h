#pragma once

#include "colour.h"
#include "ports.h"

#include <QObject>
#include <QPointF>
#include <QRect>
#include <QString>
#include <QTimer>

#include <algorithm>
#include <array>
#include <functional>
#include <optional>

class QPainter;
class QWidget;

namespace tavrin {
class FramePort;
}

namespace tavrin {

// For the candidates who cannot hear the cues or cannot tell the dots'
// colours apart: a band along every display's edge while a cue sounds, and
// a mark inside the yellow and red dots. Both are off unless chosen, and
// kept in the options file's group [access].
class Access : public QObject, public RunObserver {
    Q_OBJECT
public:
    explicit Access(const QString &optionsPath, QObject *parent = nullptr);

    bool shapes() const { return shapes_; }
    void setShapes(bool on);
    bool cuesSeen() const { return cuesSeen_; }
    void setCuesSeen(bool on);

    // Shift+F5 and Shift+F6 on the window's right-click menu, checkable;
    // a setting that cannot be saved is told there.
    void addActionsTo(FramePort &frame);

    // When a cue of a tick will be heard, in wall-clock ms, or 0 for at once;
    // its length in ms; now on the wall clock. Without them every band
    // shows as its cue is asked for, for kDefaultCueMs.
    void setOnset(std::function<qint64()> dueOnsetMs) { onset_ = std::move(dueOnsetMs); }
    void setCueLength(std::function<int(int player)> lengthMs) { length_ = std::move(lengthMs); }
    void setWallClock(std::function<qint64()> nowMs) { now_ = std::move(nowMs); }
    // The output says when the cue's first sample reaches the device: the
    // band waiting for it is moved there.
    void cueStarted(int player, qint64 wallMs);
    // A cue asked for outside a tick starts when the output wakes: its band
    // waits for cueStarted, at most this long (0: it shows at once).
    void setStartWaitMs(int ms) { startWaitMs_ = std::clamp(ms, 0, kMaxBandMs); }

    // The colour of the band standing now; none between cues.
    std::optional<Colour> band() const { return band_; }
    // Whose cue the band shows, 0 when none stands; how many bands have shown.
    int bandPlayer() const { return bandPlayer_; }
    int bandsShown() const { return shown_; }

    void runEvent(const RunEvent &event, const ExamState &state) override;

    static constexpr int kDefaultCueMs = 300;
    // A band never stands longer than this, whatever a cue file's length.
    static constexpr int kMaxBandMs = 3000;

signals:
    void shapesChanged(bool on);
    void cuesSeenChanged(bool on);
    // A band came up or went away (band() says which).
    void bandChanged();

private:
    void showBand();
    void hideBand();
    void save();

    QString optionsPath_;
    FramePort *frame_ = nullptr;
    bool shapes_ = false;
    bool cuesSeen_ = false;
    std::function<qint64()> onset_;
    std::function<int(int)> length_;
    std::function<qint64()> now_;
    QTimer showTimer_;
    QTimer hideTimer_;
    int startWaitMs_ = 0;
    int waiting_ = 0; // the player whose band waits for its onset
    std::optional<Colour> band_;
    int bandPlayer_ = 0;
    int shown_ = 0;
};

// Gives every dialog of the program, as it opens, what a screen reader
// reads of it: its title as its name, its message as its description, and
// each unnamed input the name of the label that stands for it. Installed on
// the application.
class DialogNames : public QObject {
public:
    using QObject::QObject;
protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
};

// Each cue's band colour: the countdown in the question number's yellow,
// the move and the end in their banners' green and red, a time entry white.
Colour cueColour(int player);
// The band along the edges of a surface of this size: top, bottom, left, right.
std::array<QRect, 4> bandRects(QSize size);

// The mark of a dot of this colour, drawn over it: a ring in a yellow dot,
// a cross in a red one, nothing in a green one, so that the three read
// apart by shape, in black on the dot's own colour.
void paintDotMark(QPainter &p, QPointF centre, float radius, Colour colour);

} // namespace tavrin
