#pragma once

// One room held and brought back: Ctrl+F8 in a room's window (with a
// confirmation), the rooms' status on the controller, and what each hold
// cost, for the record of the room and of the controller.

#include "protocol.h"

#include <QHash>
#include <QObject>
#include <QPointer>

namespace tavrin {
class FramePort;
} // namespace tavrin

namespace tavrin::rooms {

class Member;
class RoomsUi;
class StatusDialog;

// A hold as the record keeps it: times on the controller's clock; the
// questions firstLost..lastLost of the block it was held in went by without
// the room (none when lastLost < firstLost), and lost says every one, block
// by block. open: a room's own hold, not ended yet (what a restart takes up;
// question, part and released say where it stands).
struct HoldIncident {
    QString room;
    HoldBy by = HoldBy::Controller;
    qint64 fromMs = 0;
    qint64 toMs = 0;
    int firstLost = 0;
    int lastLost = 0;
    std::vector<LostQuestions> lost;
    bool open = false;
    bool released = false;
    int question = 0;
    int part = 0;
};
// The incident a hold that ended makes.
HoldIncident incidentOf(const QString &room, const HoldView &hold, qint64 endMs);

class HoldLink : public QObject {
    Q_OBJECT
public:
    HoldLink(RoomsUi &rooms, FramePort &frame, StatusDialog &status, QObject *parent = nullptr);

    // The controller asks room to hold or to come back: empty, or why not.
    QString ask(const QString &room, bool hold);

signals:
    void incident(const tavrin::rooms::HoldIncident &incident);
    // This room's caption while held (Room::holdCaption).
    void captionShown(const QString &caption);

private:
    void attach(Member *member);
    void ownKey();
    void roomsChanged();
    void resendReleases();

    RoomsUi &rooms_;
    FramePort &frame_;
    QPointer<Member> member_;
    QHash<QString, HoldView> seen_; // the controller: each held room's last view
    // The controller: its last ask of each room, and the connection (its
    // status's since) of a room that came back held and was sent it again.
    QHash<QString, HoldAsk> asked_;
    QHash<QString, qint64> resent_;
};

} // namespace tavrin::rooms
