#include "status_dialog.h"

#include "controller.h"
#include "cue_report.h"
#include "ready_link.h"
#include "room.h"

#include "texts.h"

#include <QDateTime>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>

namespace tavrin::rooms {

namespace {

using texts::str;

constexpr qint64 kSilentAfterMs = 15000; // three heartbeats missed

QString milliseconds(double ms)
{
    return str(texts::roomsMs).arg(ms, 0, 'f', 1);
}

QString connection(const Member &m)
{
    return str(m.connected() ? texts::roomsStatusConnectedSince : texts::roomsStatusDisconnectedSince)
        .arg(clockTime(m.connectedChangedMs()));
}

} // namespace

QString holdText(const HoldView &h, qint64 nowMs)
{
    if (!h.held)
        return {};
    if (!h.released)
        return str(texts::holdCell).arg(str(h.by == HoldBy::Room ? texts::holdByRoomOther : texts::holdByController));
    if (h.rejoinMs == 0)
        return str(texts::holdCellWaiting);
    const QString countdown = str(texts::holdCellCountdown).arg(qMax<qint64>(0, (h.rejoinMs - nowMs + 999) / 1000));
    return h.lost.empty() ? countdown : str(texts::holdCellLost).arg(countdown, lostText(h.lost));
}

QString stateText(RunState s)
{
    switch (s) {
    case RunState::Idle: return str(texts::roomsStateIdle);
    case RunState::Running: return str(texts::roomsStateRunning);
    case RunState::Paused: return str(texts::roomsStatePaused);
    case RunState::Finished: return str(texts::roomsStateFinished);
    }
    return {};
}

StatusDialog::StatusDialog(QWidget *parent) : QDialog(parent)
{
    setWindowTitle(str(texts::roomsStatusTitle));
    setModal(false);
    auto *layout = new QVBoxLayout(this);
    head_ = new QLabel(this);
    head_->setWordWrap(true);
    head_->setTextFormat(Qt::PlainText);
    layout->addWidget(head_);
    table_ = new QTableWidget(this);
    const QStringList columns = str(texts::roomsColumns).split(u'\t');
    table_->setColumnCount(int(columns.size()));
    table_->setHorizontalHeaderLabels(columns);
    table_->verticalHeader()->hide();
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // A row is chosen to approve its room's key.
    table_->setSelectionMode(QAbstractItemView::SingleSelection);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    table_->horizontalHeader()->setStretchLastSection(true);
    // A readiness line longer than its cell wraps: the row grows to show it whole.
    table_->setWordWrap(true);
    table_->verticalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    layout->addWidget(table_);
    summary_ = new QLabel(this);
    summary_->setTextFormat(Qt::PlainText);
    layout->addWidget(summary_);
    auto *buttons = new QDialogButtonBox(this);
    ask_ = buttons->addButton(str(texts::readyAskButton), QDialogButtonBox::ActionRole);
    connect(ask_, &QPushButton::clicked, this, &StatusDialog::soundCheckAsked);
    approve_ = buttons->addButton(str(texts::readyApproveButton), QDialogButtonBox::ActionRole);
    connect(approve_, &QPushButton::clicked, this, [this] {
        const QList<QTableWidgetItem *> chosen = table_->selectedItems();
        if (!member_ || chosen.isEmpty())
            return;
        const QString room = table_->item(chosen.front()->row(), 0)->data(Qt::UserRole).toString();
        const QByteArray key = member_->keyOf(room);
        if (!key.isEmpty() && !member_->approved(room))
            emit keyApproved(room, key);
    });
    // Hold or bring back the room chosen in the table.
    auto chosen = [this] {
        const QList<QTableWidgetItem *> items = table_->selectedItems();
        return items.isEmpty() ? QString() : table_->item(items.front()->row(), 0)->data(Qt::UserRole).toString();
    };
    hold_ = buttons->addButton(str(texts::holdButton), QDialogButtonBox::ActionRole);
    connect(hold_, &QPushButton::clicked, this, [this, chosen] { emit holdAsked(chosen(), true); });
    release_ = buttons->addButton(str(texts::releaseButton), QDialogButtonBox::ActionRole);
    connect(release_, &QPushButton::clicked, this, [this, chosen] { emit holdAsked(chosen(), false); });
    speaker_ = buttons->addButton(str(texts::speakerAskButton), QDialogButtonBox::ActionRole);
    connect(speaker_, &QPushButton::clicked, this, [this, chosen] { emit speakerAsked(chosen()); });
    buttons->addButton(str(texts::roomsClose), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::hide);
    layout->addWidget(buttons);
    resize(1100, 340);
    // "Since" and "no answer" change with the time alone.
    auto *tick = new QTimer(this);
    connect(tick, &QTimer::timeout, this, [this] {
        if (isVisible())
            refresh();
    });
    tick->start(1000);
}

void StatusDialog::showFor(Member *member)
{
    if (member_)
        disconnect(member_, nullptr, this, nullptr);
    member_ = member;
    if (member_)
        connect(member_, &Member::changed, this, [this] {
            if (isVisible())
                refresh();
        });
    refresh();
    show();
    raise();
}

void StatusDialog::refresh()
{
    if (!member_) {
        head_->setText(str(texts::roomsStatusNone));
        table_->setRowCount(0);
        summary_->hide();
        ask_->hide();
        approve_->hide();
        hold_->hide();
        release_->hide();
        speaker_->hide();
        return;
    }
    const Member &m = *member_;
    if (const auto *room = qobject_cast<const Room *>(&m)) {
        const std::optional<OffsetEstimate> e = room->offset();
        const QString offset =
            e ? str(texts::roomsOffsetWithTrip).arg(milliseconds(e->offsetUs / 1000.0), milliseconds(e->roundTripUs / 1000.0))
              : str(texts::roomsOffsetUnknown);
        head_->setText(str(texts::roomsStatusHeadRoom)
                           .arg(m.exam(), room->name(), m.brokerName(), connection(m),
                                str(room->controllerOnline() ? texts::roomsStatusControllerOnline
                                                             : texts::roomsStatusControllerOffline),
                                offset));
    } else {
        QString head = str(texts::roomsStatusHeadController).arg(m.exam(), m.brokerName(), connection(m));
        if (m.ownNameSeenMs() > 0)
            head += u'\n' + str(texts::roomsLineOwnNameForged) + QStringLiteral(" ") + clockTime(m.ownNameSeenMs());
        head_->setText(head);
    }
    if (!m.examFingerprint().isEmpty())
        head_->setText(head_->text() + u'\n' + str(texts::roomsStatusExamKey).arg(m.examFingerprint()));

    const QMap<QString, RoomView> &rooms = m.rooms();
    table_->setRowCount(int(rooms.size()));
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    int row = 0;
    int ready = 0;
    const bool controller = qobject_cast<const Controller *>(&m) != nullptr;
    summary_->setVisible(controller);
    ask_->setVisible(controller);
    approve_->setVisible(controller && m.signs());
    hold_->setVisible(controller);
    release_->setVisible(controller);
    speaker_->setVisible(controller);
    const QString chosenRoom = table_->selectedItems().isEmpty()
                                   ? QString()
                                   : table_->item(table_->selectedItems().front()->row(), 0)->data(Qt::UserRole).toString();
    for (auto it = rooms.begin(); it != rooms.end(); ++it, ++row) {
        const RoomStatus &s = it->status;
        QString link = str(s.online ? texts::roomsYes : texts::roomsNo);
        if (s.online && m.connected() && now - it->heardMs > kSilentAfterMs)
            link = str(texts::roomsSilentTooLong);
        const QString notOwn = cuesNotOwn(s.cues);
        bool isReady = false;
        const QString readiness =
            readinessText(s, m.connected() && now - it->heardMs <= kSilentAfterMs, &isReady);
        ready += isReady ? 1 : 0;
        const bool unapproved = controller && m.signs() && !m.approved(it.key());
        QString state = str(texts::roomsQuestionState).arg(s.question).arg(stateText(s.state));
        if (s.hold.held)
            state = holdText(s.hold, now - std::llround(s.offsetMs)) + QStringLiteral(" ") + state;
        const QString cells[] = {
            unapproved ? it.key() + str(texts::roomsKeyUnapproved).arg(fingerprint(m.keyOf(it.key()))) : it.key(),
            str(texts::roomsSince).arg(link, clockTime(it->changedMs)),
            state,
            QString::number(s.second),
            s.offsetKnown ? milliseconds(s.offsetMs) : str(texts::roomsOffsetUnknown),
            s.offsetKnown ? milliseconds(s.rttMs) : QStringLiteral("-"),
            notOwn.isEmpty() ? str(texts::roomsCuesOwn) : notOwn,
            s.follows.isEmpty()    ? str(texts::roomsFollowsNone)
            : s.follows == m.id()  ? str(texts::roomsFollowsThis)
                                   : str(texts::roomsFollowsOther).arg(s.follows),
            readiness,
        };
        for (int c = 0; c < int(std::size(cells)); ++c) {
            auto *item = new QTableWidgetItem(cells[c]);
            item->setToolTip(cells[c]);
            if (c == 0)
                item->setData(Qt::UserRole, it.key());
            if ((c == 0 && unapproved) || (c == 2 && s.hold.held) || (c == 6 && !notOwn.isEmpty()) || (c == 8 && !isReady) || (c == 7 && !s.follows.isEmpty() && s.follows != m.id() &&
                                                    qobject_cast<const Controller *>(&m)))
                item->setForeground(QColor(0xC0, 0x40, 0x00));
            table_->setItem(row, c, item);
        }
        if (it.key() == chosenRoom)
            table_->selectRow(row);
    }
    summary_->setText(str(texts::readySummary).arg(ready).arg(rooms.size()));
}

} // namespace tavrin::rooms
