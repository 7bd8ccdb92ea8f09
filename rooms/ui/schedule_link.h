#pragma once

// A start at a time of day across the examination: the controller publishes
// its start (retained), a room takes it through its clock offset, so that
// every room starts on that second of the controller's clock even if the
// controller's start message came late or not at all.

#include <QObject>
#include <QPointer>

#include <optional>

namespace tavrin {
class ScheduledStart;
}

namespace tavrin::rooms {

class Member;
class RoomsUi;

class ScheduleLink : public QObject {
    Q_OBJECT
public:
    ScheduleLink(RoomsUi &rooms, ScheduledStart &start, QObject *parent = nullptr);

private:
    void attach(Member *member);
    // The start set now (none: cancelled), or the one just started.
    void publish();
    void publishStart(qint64 startMs);
    void received(const QString &topic, const QByteArray &body);
    void apply();

    RoomsUi &rooms_;
    ScheduledStart &start_;
    QPointer<Member> member_;
    bool wasConnected_ = false;
    // A room: the controller's start on the controller's clock, and what it
    // was mapped to here.
    std::optional<qint64> controllerStart_;
    std::optional<qint64> mappedTo_;
    qint64 lastRefusalMs_ = 0;
    qint64 newestAtMs_ = 0;   // a room: when the schedule it took was set
    qint64 lastSentAtMs_ = 0; // the controller: when the last one sent was
};

} // namespace tavrin::rooms
