#include "ready_link.h"

#include "clock_source.h"

#include "controller.h"
#include "room.h"
#include "rooms_ui.h"
#include "texts.h"

#include <QDateTime>

#include <algorithm>

#include <cmath>

namespace tavrin::rooms {

using texts::str;

namespace {

qint64 nowMs()
{
    return QDateTime::currentMSecsSinceEpoch();
}

QString cueText(CueSource c)
{
    switch (c) {
    case CueSource::OwnFile: return str(texts::readyCueOwn);
    case CueSource::BuiltIn: return str(texts::readyCueBuiltin);
    case CueSource::Silent: return str(texts::readyCueSilent);
    case CueSource::NotOpen: break;
    }
    return str(texts::readyCueNotHeard);
}

QString heardText(const std::array<CueSource, 4> &heard)
{
    QStringList parts;
    for (int n = 1; n <= 4; ++n)
        parts += str(texts::readyCue).arg(n).arg(cueText(heard[std::size_t(n - 1)]));
    return parts.join(QStringLiteral(" / "));
}

// The clock a room keeps and within how much: a measured offset's
// uncertainty is half the round trip it was measured over.
QString clockText(const RoomStatus &s)
{
    const ClockKeeping &k = s.clock;
    if (k.system)
        return str(texts::readyClockSystem)
            .arg(k.keeper.isEmpty() ? str(texts::readyClockSystemUnnamed) : k.keeper)
            .arg(k.errorMs, 0, 'f', 2);
    QString text = str(texts::readyClockMeasured).arg(s.rttMs / 2, 0, 'f', 1);
    if (k.distrust == int(Distrust::LargeError))
        text += str(texts::readyClockLargeError).arg(k.errorMs, 0, 'f', 1);
    else if (k.distrust == int(Distrust::Disagrees))
        text += str(texts::readyClockDisagrees);
    return text;
}

} // namespace

QString clockTime(qint64 ms)
{
    return ms > 0 ? QDateTime::fromMSecsSinceEpoch(ms).toString(QStringLiteral("HH:mm:ss")) : QStringLiteral("-");
}

QString readinessText(const RoomStatus &s, bool heardLately, bool *ready)
{
    const Readiness &r = s.ready;
    const bool connected = s.online && heardLately;
    const bool allHeard = r.checkMs > 0 && std::all_of(r.heard.begin(), r.heard.end(), [](CueSource c) {
                              return c == CueSource::OwnFile || c == CueSource::BuiltIn;
                          });
    *ready = connected && s.offsetKnown && r.known && !r.screen.isEmpty() && allHeard && r.journalWritable &&
             !r.checking && !s.hold.held;
    // A held room is not ready whatever else it says: it shows no cue.
    const QString held =
        s.hold.held
            ? str(texts::readyHeld).arg(str(s.hold.by == HoldBy::Room ? texts::holdByRoomOther : texts::holdByController))
            : QString();
    if (!r.known) {
        *ready = false;
        return str(texts::readyOld);
    }
    const QString check = r.checking      ? str(texts::readyChecking)
                          : r.checkMs == 0 ? str(texts::readyCheckNone)
                                           : str(texts::readyCheckAt).arg(clockTime(r.checkMs), heardText(r.heard));
    const QString risk = r.sinkRisk == u"bluetooth" ? str(texts::speakerRisk).arg(str(texts::speakerRiskBluetooth))
                         : r.sinkRisk == u"network" ? str(texts::speakerRisk).arg(str(texts::speakerRiskNetwork))
                                                    : QString();
    const QString speaker =
        str(texts::readySpeaker)
            .arg(r.sinkLatencyMs < 0 ? str(texts::readyUnknown) : QString::number(r.sinkLatencyMs))
            .arg(r.speakerDelayMs)
            .arg(risk);
    return str(texts::readyLine)
        .arg(str(*ready ? texts::readyMark : texts::readyNotMark), str(connected ? texts::readyYes : texts::readyNo),
             s.offsetKnown ? clockText(s) : str(texts::readyUnknown),
             r.screen.isEmpty() ? str(texts::readyDisplayClosed) : r.screen, check,
             str(r.journalWritable ? texts::readyYes : texts::readyNo)) +
           speaker + held;
}

ReadyLink::ReadyLink(RoomsUi &rooms, ReadySeams seams, QObject *parent)
    : QObject(parent), rooms_(rooms), seams_(std::move(seams)), startedMs_(nowMs())
{
    connect(&rooms, &RoomsUi::memberMade, this, &ReadyLink::attach);
    rooms.setSoundCheckAsker([this] { return ask(); });
}

Readiness ReadyLink::readiness() const
{
    Readiness r;
    r.known = true;
    r.screen = seams_.screen ? seams_.screen() : QString();
    r.journalWritable = seams_.journalWritable && seams_.journalWritable();
    r.checking = seams_.checking && seams_.checking();
    r.checkMs = seams_.lastCheckMs ? seams_.lastCheckMs() : 0;
    if (r.checkMs > 0 && seams_.played)
        r.heard = seams_.played();
    r.speakerDelayMs = seams_.speakerDelayMs ? seams_.speakerDelayMs() : 0;
    if (seams_.sink) {
        const SinkReport s = seams_.sink();
        r.sinkLatencyMs = !s.known ? -1 : s.plays ? int(std::lround(double(s.latencyUs) / 1000)) : 0;
        r.sinkRisk = s.risk == SinkReport::Risk::Bluetooth ? QStringLiteral("bluetooth")
                     : s.risk == SinkReport::Risk::Network ? QStringLiteral("network")
                                                            : QString();
    }
    return r;
}

void ReadyLink::attach(Member *member)
{
    member_ = member;
    if (Room *room = rooms_.room(); room && room == member) {
        room->setReadiness([this] { return readiness(); });
        room->subscribeExtra(Topics(room->exam()).soundCheck());
        connect(room, &Member::extraReceived, this, &ReadyLink::received);
    } else {
        connect(member, &Member::changed, this, &ReadyLink::recordChecks);
    }
}

void ReadyLink::changed()
{
    if (Room *room = rooms_.room(); room && room == member_)
        room->readinessChanged();
}

QString ReadyLink::ask()
{
    Controller *c = rooms_.controller();
    if (!c || c != member_)
        return {};
    if (seams_.mayCheck && !seams_.mayCheck())
        return str(texts::readyAskRunning);
    const qint64 now = nowMs();
    if (lastAskMs_ > 0 && now - lastAskMs_ < kAskGapMs)
        return str(texts::readyAskTooSoon).arg((now - lastAskMs_) / 1000);
    if (!c->publishExtra(Topics(c->exam()).soundCheck(), writeSoundCheckAsk(c->exam(), {c->id(), now}), false))
        return str(texts::readyAskNotConnected);
    lastAskMs_ = now;
    return {};
}

void ReadyLink::received(const QString &topic, const QByteArray &body)
{
    Room *room = rooms_.room();
    if (!room || room != member_ || topic != Topics(room->exam()).soundCheck())
        return;
    const Reading<SoundCheckAsk> r = readSoundCheckAsk(body, room->exam());
    const qint64 now = nowMs();
    // The controller's clock now, as well as this room knows it.
    const std::optional<OffsetEstimate> e = room->offset();
    const qint64 controllerNow = now - (e ? std::llround(e->offsetUs / 1000.0) : 0);
    QString why;
    if (!r.ok())
        why = r.detail;
    else if (room->followed().isEmpty() || r.message->from != room->followed())
        why = r.message->from.left(kMaxNameLength);
    else if (r.message->atMs <= lastTakenAtMs_ || std::llabs(controllerNow - r.message->atMs) > kAskAgeMs)
        why = QStringLiteral("at");
    else if (lastRunMs_ > 0 && now - lastRunMs_ < kAskGapMs)
        why = QStringLiteral("too soon");
    if (!why.isEmpty()) {
        // One entry a minute per reason, however many replays come.
        qint64 &last = refusalNotedMs_[why.left(kMaxNameLength)];
        if (last == 0 || now - last >= 60000 || now < last) {
            if (refusalNotedMs_.size() > 64)
                refusalNotedMs_.clear();
            refusalNotedMs_[why.left(kMaxNameLength)] = now;
            emit rooms_.record(str(texts::roomsRefused).arg(topic, QStringLiteral("soundcheck"), why));
        }
        return;
    }
    lastTakenAtMs_ = r.message->atMs;
    if (seams_.mayCheck && !seams_.mayCheck()) {
        emit rooms_.record(str(texts::readyRefusedRunning));
        return;
    }
    lastRunMs_ = now;
    emit rooms_.record(str(texts::readyCheckAsked));
    if (seams_.runCheck)
        seams_.runCheck();
    changed();
}

void ReadyLink::recordChecks()
{
    if (!member_ || rooms_.controller() != member_)
        return;
    for (auto it = member_->rooms().begin(); it != member_->rooms().end(); ++it) {
        const Readiness &r = it->status.ready;
        // Each room's check once, and only those made since this start.
        if (!r.known || r.checking || r.checkMs < startedMs_ - 60000 || recorded_.value(it.key()) == r.checkMs)
            continue;
        if (recorded_.size() >= kMaxRooms && !recorded_.contains(it.key()))
            continue;
        recorded_[it.key()] = r.checkMs;
        emit rooms_.record(str(texts::readyCheckRecord).arg(it.key(), clockTime(r.checkMs), heardText(r.heard)));
    }
}

} // namespace tavrin::rooms
