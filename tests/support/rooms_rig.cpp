#include "rooms_rig.h"

#include "identity.h"
#include "join_file.h"
#include "options.h"
#include "private_broker.h"

#include "cue_synth.h"

#include <QDir>
#include <QMap>
#include <QThread>
#include <QFile>
#include <QSettings>
#include <QJsonDocument>
#include <QPainter>
#include <QSqlDatabase>
#include <QSqlQuery>

#include <cmath>
#include <numbers>

namespace e2e {

namespace {

// A short tone of the member's own pitch for each player, so that what a
// sink hears can only come from that member's own files.
void writeTones(const QString &dir, int member)
{
    const char *names[] = {"Tavrin-Jihou1.wav", "Tavrin-Jihou2.wav", "Tavrin-Jihou3.wav", "Tavrin-chime.wav"};
    const double lengths[] = {0.12, 0.25, 0.5, 0.18};
    for (int n = 0; n < 4; ++n) {
        const double hz = (500.0 + 150.0 * member) * (1.0 + 0.25 * n);
        const auto count = static_cast<std::size_t>(lengths[n] * tavrin::cues::sampleRate);
        std::vector<std::int16_t> s(count);
        for (std::size_t i = 0; i < count; ++i) {
            const double fade = std::min({1.0, double(i) / 200.0, double(count - i) / 200.0});
            s[i] = static_cast<std::int16_t>(16000 * fade *
                                             std::sin(2 * std::numbers::pi * hz * double(i) / tavrin::cues::sampleRate));
        }
        const std::vector<std::uint8_t> wav = tavrin::cues::wavFile(s);
        QFile f(QDir(dir).filePath(QLatin1String(names[n])));
        f.open(QIODevice::WriteOnly);
        f.write(reinterpret_cast<const char *>(wav.data()), qint64(wav.size()));
    }
}

} // namespace

void buildingPath(Member &m)
{
    static const QMap<QString, QString> paths{{QStringLiteral("A"), QStringLiteral("1±0.5")},
                                              {QStringLiteral("B"), QStringLiteral("3±2/1%")},
                                              {QStringLiteral("C"), QStringLiteral("8±2,1±0.5/1%")}};
    NetPath path;
    if (paths.contains(m.name) && NetPath::parse(paths[m.name], path))
        m.path = path;
    if (m.name == QStringLiteral("C"))
        m.fakeTime = QStringLiteral("+2.5 x1.0001");
}

double buildingClockAheadMs(const Member &m, double wallSeconds)
{
    return m.name == QStringLiteral("C") && !m.fakeTime.isEmpty() ? 2500 + 0.1 * (wallSeconds - m.launchedAt) : 0;
}

QJsonObject json(const QByteArray &payload)
{
    return QJsonDocument::fromJson(payload).object();
}

std::optional<Shown> shownByController(const QByteArray &payload)
{
    const QJsonObject o = json(payload);
    if (o.value(u"kind"_qs).toString() != u"state"_qs)
        return std::nullopt;
    const QJsonObject r = o.value(u"run"_qs).toObject();
    const int ck = r.value(u"ck"_qs).toInt();
    const int t = r.value(u"t"_qs).toInt();
    const QString state = r.value(u"sw"_qs).toInt() == 1 ? u"running"_qs
                        : ck != 0                          ? u"paused"_qs
                        : r.value(u"reset"_qs).toBool()    ? u"finished"_qs
                                                           : u"idle"_qs;
    return Shown{r.value(u"question"_qs).toString().toInt(), ck != 0 ? std::max(0, t - 1) : 0, state};
}

std::optional<Shown> shownByRoom(const QByteArray &payload)
{
    const QJsonObject o = json(payload);
    if (o.value(u"kind"_qs).toString() != u"room"_qs || !o.value(u"online"_qs).toBool())
        return std::nullopt;
    return Shown{o.value(u"question"_qs).toInt(), o.value(u"second"_qs).toInt(), o.value(u"state"_qs).toString()};
}

void RoomsRig::useBuilding()
{
    beforeLaunch = [this](Member &m) {
        buildingPath(m);
        if (m.name != QStringLiteral("D"))
            return;
        site = std::make_unique<Broker>();
        site->bridgeTo(broker);
        if (const QString e = site->start(); !e.isEmpty())
            qWarning("the site's broker: %s", qPrintable(e));
        m.site = site.get();
    };
}

QString RoomsRig::start(const QString &times, const QStringList &rooms, const QList<int> &clockOffsetsS,
                        const QList<bool> &ownCues)
{
    wallAtSteady0_ = wallSeconds();
    steady0_ = tavrin::probe::Clock::now();
    if (QString e = broker.start(); !e.isEmpty())
        return e;
    if (QString e = log.start(broker, QStringLiteral("tavrin/%1/#").arg(exam)); !e.isEmpty())
        return e;
    examTimes = times;
    add(QStringLiteral("controller"));
    for (qsizetype i = 0; i < rooms.size(); ++i)
        add(rooms[i], clockOffsetsS.value(i), ownCues.value(i, true));
    for (auto &m : members)
        if (!m->recorder)
            return QStringLiteral("no sound for %1").arg(m->name);
    for (auto &m : members) {
        if (beforeLaunch)
            beforeLaunch(*m);
        if (QString e = launch(*m); !e.isEmpty())
            return e;
    }
    if (!roomsReport(15000))
        return QStringLiteral("not every room reported itself with its clock offset");
    return {};
}

Member &RoomsRig::add(const QString &name, int clockOffsetS, bool ownCues)
{
    const int i = int(members.size());
    auto m = std::make_unique<Member>();
    m->name = name;
    m->clockOffsetS = clockOffsetS;
    m->ownCues = ownCues;
    m->at = QPoint(i % 2 * (kWidth + 4), i / 2 * (kHeight + 40));
    writeSettings(m->dir.path(), {examTimes, u"Tavrin-Jihou1.wav"_qs, u"Tavrin-Jihou2.wav"_qs, u"Tavrin-Jihou3.wav"_qs,
                                  u"移動してください"_qs, u"試験終了"_qs, u"10"_qs, u"0"_qs});
    if (m->ownCues)
        writeTones(m->dir.path(), i);
    m->sink = std::make_unique<tavrin::probe::PulseSink>(QString::number(i));
    if (m->sink->start().isEmpty()) {
        m->recorder = std::make_unique<tavrin::probe::Recorder>(m->sink->monitor());
        if (!m->recorder->start().isEmpty())
            m->recorder.reset();
    }
    members.push_back(std::move(m));
    return *members.back();
}

namespace {

// Cheap, so that the tests can derive it as often as they like.
tavrin::rooms::SigningKey examKey(const QString &exam, const QString &passphrase)
{
    return tavrin::rooms::SigningKey::fromPassphrase(passphrase, exam, {1, std::size_t(8) << 20});
}

} // namespace

QByteArray RoomsRig::examPublicKey() const
{
    return passphrase.isEmpty() ? QByteArray() : examKey(exam, passphrase).publicKey();
}

QString RoomsRig::launch(Member &m, const QString &question)
{
    m.program = std::make_unique<Program>(m.dir.path());
    if (m.path && !m.relay) {
        m.relay = std::make_unique<NetRelay>((m.site ? *m.site : broker).port(), *m.path, unsigned(qHash(m.name)));
        if (QString e = m.relay->start(); !e.isEmpty())
            return e;
    }
    namespace r = tavrin::rooms;
    const bool controller = m.name.startsWith(QStringLiteral("controller"));
    const QString address = m.relay ? m.relay->address() : (m.site ? *m.site : broker).address();
    QStringList args{QStringLiteral("--exam"), exam, QStringLiteral("--broker"), address};
    if (!controller)
        args << QStringLiteral("--room") << m.name;
    else
        args << controllerArgs;
    const QString user = controller ? QString::fromLatin1(r::kControllerUser) : m.name;
    if (!passphrase.isEmpty() && controller) {
        const QString file = m.dir.filePath(QStringLiteral("exam.key"));
        if (const QString e = r::writeKeyFile(file, r::kExamKeyLabel, examKey(exam, passphrase)); !e.isEmpty())
            return e;
        args << QStringLiteral("--key-file") << file;
    } else if (!passphrase.isEmpty()) {
        r::JoinFile j;
        j.exam = exam;
        j.room = m.name;
        j.examKey = examPublicKey();
        r::parseHostPort(address, j.host, j.port);
        if (logins.contains(user)) {
            j.user = user;
            j.password = logins.value(user);
        }
        const QString file = m.dir.filePath(QStringLiteral("room.tavrin-join"));
        if (const QString e = r::saveJoinFile(file, j); !e.isEmpty())
            return e;
        args = QStringList{QStringLiteral("--join"), file};
    }
    if (controller && logins.contains(user)) {
        // Another broker's login: the user in the options, its password beside them.
        const QString options = m.dir.filePath(QStringLiteral("Tavrin-options.ini"));
        QSettings(options, QSettings::IniFormat).setValue(QStringLiteral("rooms/user"), user);
        if (const QString e = r::writeSecretFile(r::besideOptions(options, r::kBrokerPasswordFile),
                                                 logins.value(user).toUtf8());
            !e.isEmpty())
            return e;
    }
    m.program->setArguments(args);
    m.launchedAt = wallSeconds();
    m.program->setEnv(QStringLiteral("PULSE_SINK"), m.sink->name());
    m.program->setEnv(QStringLiteral("SDL_AUDIODRIVER"), QStringLiteral("pulseaudio"));
    if (m.clockOffsetS != 0 || !m.fakeTime.isEmpty()) {
        m.program->setEnv(QStringLiteral("LD_PRELOAD"),
                          QStringLiteral("/usr/lib/x86_64-linux-gnu/faketime/libfaketime.so.1"));
        m.program->setEnv(QStringLiteral("FAKETIME"),
                          !m.fakeTime.isEmpty() ? m.fakeTime
                                                : QStringLiteral("%1%2").arg(m.clockOffsetS > 0 ? "+" : "").arg(m.clockOffsetS));
        m.program->setEnv(QStringLiteral("FAKETIME_DONT_FAKE_MONOTONIC"), QStringLiteral("1"));
        // Under AddressSanitizer the preloaded library comes before it.
        QString asan = qEnvironmentVariable("ASAN_OPTIONS");
        m.program->setEnv(QStringLiteral("ASAN_OPTIONS"),
                          asan + (asan.isEmpty() ? "" : ":") + QStringLiteral("verify_asan_link_order=0"));
    }
    if (!question.isEmpty()) {
        if (!m.program->launch())
            return QStringLiteral("%1 did not start").arg(m.name);
        bool answered = false;
        for (int i = 0; i < 100 && !answered; ++i) {
            QThread::msleep(100);
            answered = keyToWindow(question, QStringLiteral("Return"));
        }
        if (!answered)
            return QStringLiteral("%1 did not ask \"%2\"").arg(m.name, question);
        if (m.program->waitForWindow(QStringLiteral("Tavrin ver")).isEmpty() || !m.program->waitForPaint())
            return QStringLiteral("%1 did not show its window").arg(m.name);
    } else if (!m.program->start()) {
        return QStringLiteral("%1 did not show its window").arg(m.name);
    }
    m.program->place(m.at.x(), m.at.y(), kWidth, kHeight);
    return {};
}

void RoomsRig::kill(Member &m)
{
    if (m.program && m.program->running()) {
        m.program->process().kill();
        m.program->waitForExit(3000);
    }
}

Member *RoomsRig::room(const QString &name)
{
    for (auto &m : members)
        if (m->name == name)
            return m.get();
    return nullptr;
}

bool RoomsRig::roomsReport(int timeoutMs, double since)
{
    for (std::size_t i = 1; i < members.size(); ++i) {
        if (members[i]->name.startsWith(u"controller"_qs))
            continue;
        const QString topic = QStringLiteral("tavrin/%1/rooms/%2/status").arg(exam, members[i]->name);
        const bool ok = log.waitFor(
            [&](const BrokerLog::Entry &e) {
                const QJsonObject o = json(e.payload);
                return e.topic == topic && o.value(u"online"_qs).toBool() && o.value(u"offsetKnown"_qs).toBool();
            },
            timeoutMs, since);
        if (!ok)
            return false;
    }
    return true;
}

QImage RoomsRig::view(const QImage &screen, const Member &m) const
{
    QImage v = screen.copy(m.at.x(), m.at.y(), kWidth, kHeight).convertToFormat(QImage::Format_RGB32);
    // Above the grid only the question number: the buttons and the line
    // under them differ between the controller and a room.
    QPainter p(&v);
    p.fillRect(0, 0, 16, 79, Qt::black);
    p.fillRect(88, 0, kWidth - 88, 79, Qt::black);
    p.fillRect(0, 70, kWidth, 9, Qt::black);
    return v;
}

bool RoomsRig::sameViews(const std::vector<Member *> &who, QImage *grab) const
{
    const QImage s = screen();
    if (grab)
        *grab = s;
    if (s.isNull() || who.empty())
        return false;
    const QImage first = view(s, *who.front());
    for (const Member *m : who)
        if (view(s, *m) != first)
            return false;
    return true;
}

std::vector<double> RoomsRig::onsets(const Member &m) const
{
    std::vector<double> out;
    const std::vector<qint16> samples = m.recorder->samples();
    for (const Burst &b : bursts(samples)) {
        const auto at = m.recorder->timeOf(static_cast<std::size_t>(b.start * tavrin::probe::rate));
        out.push_back(wallAtSteady0_ + std::chrono::duration<double>(at - steady0_).count());
    }
    return out;
}

bool RoomsRig::heardSince(const std::vector<Member *> &who, double since) const
{
    return std::all_of(who.begin(), who.end(), [&](const Member *m) {
        const std::vector<double> o = onsets(*m);
        return !o.empty() && o.back() >= since;
    });
}

std::vector<RoomsRig::Proof> RoomsRig::proofs() const
{
    std::vector<Proof> out;
    {
        // Read beside the running controller: the journal is in WAL mode.
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("proofs"));
        db.setDatabaseName(QDir(members.front()->dir.path()).filePath(QStringLiteral("Tavrin-record.sqlite")));
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY;QSQLITE_BUSY_TIMEOUT=2000"));
        QSqlQuery q(db);
        if (db.open() && q.exec(QStringLiteral("SELECT room, player, due_utc_ms, started_utc_ms FROM cue_reports"
                                               " WHERE side = 'taken' ORDER BY due_utc_ms")))
            while (q.next())
                out.push_back({q.value(0).toString(), q.value(1).toInt(), q.value(2).toDouble() / 1000,
                               q.value(3).toDouble() / 1000});
    }
    QSqlDatabase::removeDatabase(QStringLiteral("proofs"));
    return out;
}

std::vector<RoomsRig::Hold> RoomsRig::holds() const
{
    std::vector<Hold> out;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("holds"));
        db.setDatabaseName(QDir(members.front()->dir.path()).filePath(QStringLiteral("Tavrin-record.sqlite")));
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY;QSQLITE_BUSY_TIMEOUT=2000"));
        QSqlQuery q(db);
        if (db.open() && q.exec(QStringLiteral("SELECT room, held_by, from_utc_ms, to_utc_ms, first_lost, last_lost"
                                               " FROM holds ORDER BY from_utc_ms")))
            while (q.next())
                out.push_back({q.value(0).toString(), q.value(1).toString(), q.value(2).toDouble() / 1000,
                               q.value(3).toDouble() / 1000, q.value(4).toInt(), q.value(5).toInt()});
    }
    QSqlDatabase::removeDatabase(QStringLiteral("holds"));
    return out;
}

void RoomsRig::askHold(const QString &room, bool hold, const QString &controllerId, qint64 atMs) const
{
    const QString ask = QStringLiteral(R"({"v":2,"kind":"hold","exam":"%1","from":"%2","room":"%3","hold":%4,"at":%5})")
                            .arg(exam, controllerId, room, hold ? u"true"_qs : u"false"_qs)
                            .arg(atMs);
    run(QStringLiteral("mosquitto_pub"), {QStringLiteral("-p"), QString::number(broker.port()), QStringLiteral("-q"),
                                          QStringLiteral("1"), QStringLiteral("-t"),
                                          QStringLiteral("tavrin/%1/rooms/%2/hold").arg(exam, room), QStringLiteral("-m"), ask});
}

void RoomsRig::askSpeaker(const QString &room, int ms, const QString &controllerId, qint64 atMs) const
{
    const QString ask = QStringLiteral(R"({"v":2,"kind":"speaker","exam":"%1","from":"%2","room":"%3","delay":%4,"at":%5})")
                            .arg(exam, controllerId, room)
                            .arg(ms)
                            .arg(atMs);
    run(QStringLiteral("mosquitto_pub"), {QStringLiteral("-p"), QString::number(broker.port()), QStringLiteral("-q"),
                                          QStringLiteral("1"), QStringLiteral("-t"),
                                          QStringLiteral("tavrin/%1/rooms/%2/speaker").arg(exam, room), QStringLiteral("-m"), ask});
}

QString RoomsRig::together(const std::vector<Member *> &who, double from, double to) const
{
    auto within = [&](const Member &m, double margin) {
        std::vector<double> v;
        for (double t : onsets(m))
            if (t >= from - margin && t <= to + margin)
                v.push_back(t);
        return v;
    };
    const std::vector<double> ref = within(*who.front(), 0);
    if (ref.empty())
        return QStringLiteral("%1 played nothing").arg(who.front()->name);
    double worst = 0;
    for (const Member *m : who) {
        const std::vector<double> other = within(*m, kSameCue);
        for (double t : ref) {
            double nearest = 1e9;
            for (double o : other)
                nearest = std::abs(o - t) < std::abs(nearest) ? o - t : nearest;
            if (std::abs(nearest) > kSameCue)
                return QStringLiteral("%1 has no cue with %2's at %3 (nearest %4 s)")
                    .arg(m->name, who.front()->name).arg(t, 0, 'f', 3).arg(nearest, 0, 'f', 3);
            worst = std::max(worst, std::abs(nearest));
        }
        if (within(*m, -kSameCue).size() > ref.size())
            return QStringLiteral("%1 played cues that %2 did not").arg(m->name, who.front()->name);
    }
    qInfo("%zu cues between %.1f and %.1f: onsets within %.1f ms", ref.size(), from, to, worst * 1000);
    return {};
}

} // namespace e2e
