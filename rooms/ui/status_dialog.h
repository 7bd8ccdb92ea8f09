#pragma once

#include <QDialog>
#include <QPointer>

#include "member.h"

class QLabel;
class QPushButton;
class QTableWidget;

namespace tavrin::rooms {

// How a run state reads to the operator, here and on the room's line.
QString stateText(RunState s);
// A room's hold as the operator reads it (nowMs on the controller's clock); empty: not held.
QString holdText(const HoldView &h, qint64 nowMs);

// Every room as this Tavrin knows it: its name, connected or not and since
// when, the question and second it shows, its clock offset and round trip,
// and whether its cues are its own files or the built-in sounds.
class StatusDialog : public QDialog {
    Q_OBJECT
public:
    explicit StatusDialog(QWidget *parent);
    // Shows the view of this member (none: not in an examination).
    void showFor(Member *member);
    void refresh();

signals:
    // The operator asks every room to run its sound check.
    void soundCheckAsked();
    // The operator approves the key a room signs with (as last heard).
    void keyApproved(const QString &room, const QByteArray &key);
    // The operator holds the room chosen (hold), or brings it back; room is
    // empty when no row is chosen.
    void holdAsked(const QString &room, bool hold);
    // The operator sets the chosen room's correction of its speaker's delay.
    void speakerAsked(const QString &room);

private:
    QPointer<Member> member_;
    QLabel *head_ = nullptr;
    QTableWidget *table_ = nullptr;
    QLabel *summary_ = nullptr;
    QPushButton *ask_ = nullptr;
    QPushButton *approve_ = nullptr;
    QPushButton *hold_ = nullptr;
    QPushButton *release_ = nullptr;
    QPushButton *speaker_ = nullptr;
};

} // namespace tavrin::rooms
