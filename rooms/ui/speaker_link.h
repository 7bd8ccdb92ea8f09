#pragma once

// A room's correction of its speaker's delay, set from the controller's
// rooms' status (F8): a small dialog prefilled with what the room reports,
// and a signed ask to that room alone; on a room, the ask is applied as a
// correction typed there with F12 is.

#include <QHash>
#include <QObject>
#include <QPointer>

#include <functional>

namespace tavrin {
class FramePort;
} // namespace tavrin

namespace tavrin::rooms {

class Member;
class RoomsUi;
class StatusDialog;

struct SpeakerSeams {
    std::function<int()> current;           // this PC's correction, ms
    std::function<QString(int ms)> apply;   // sets and keeps it: empty, or why not
};

class SpeakerLink : public QObject {
    Q_OBJECT
public:
    // Between two asks of the controller to one room (the room takes one a second).
    static constexpr qint64 kAskGapMs = 2000;

    SpeakerLink(RoomsUi &rooms, FramePort &frame, StatusDialog &status, SpeakerSeams seams,
                QObject *parent = nullptr);

    // The controller asks room to correct its speaker by ms: empty, or why not.
    QString ask(const QString &room, int ms);

private:
    void attach(Member *member);
    void openDialog(const QString &room);

    RoomsUi &rooms_;
    FramePort &frame_;
    StatusDialog &status_;
    SpeakerSeams seams_;
    QHash<QString, qint64> askedMs_; // room -> when it was last asked
};

} // namespace tavrin::rooms
