// The journal on temporary folders: what it records and reads back after an
// interruption, its schema, each of its faults, and the record window.
#include "engine.h"
#include "holds.h"
#include "journal.h"
#include "journal_wiring.h"
#include "mounts.h"
#include "phase_timer.h"
#include "record.h"
#include "record_window.h"
#include "resume.h"
#include "schema.h"
#include "silent_ports.h"
#include "window_rig.h"

#include <QAction>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QLockFile>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

using namespace tavrin;

namespace {
const QString kFile = QStringLiteral("Tavrin-record.sqlite");

// Silent, but with time boxes, so that times can be entered.
struct BoxWindow : SilentWindow {
    std::array<QString, 5> box;
    int combo = 0;
    int comboIndex() const override { return combo; }
    void setComboIndex(int i) override { combo = i; }
    QString text(TextBox b) const override { return box[int(b)]; }
    void setText(TextBox b, const QString &t) override { box[int(b)] = t; }
};

struct Rig {
    explicit Rig(const QString &dir) : journal(dir)
    {
        journal.watch(engine, [this] { return due ? due() : nextDue; });
        journal.setCueSound([](int n) {
            return n == 3 ? CueStatus{CueSource::BuiltIn, "x.wav", "見つかりません"}
                          : CueStatus{CueSource::OwnFile, "cue.wav", {}};
        });
        engine.addObserver(&journal);
        QObject::connect(&journal, &Journal::notice, [this](const QString &t) { notices << t; });
        recording = journal.open();
        engine.Form_Load(dir, dir);
    }
    void times(const char *t1, const char *t2, const char *n)
    {
        window.box[1] = t1, window.box[2] = t2, window.box[3] = n;
        engine.Text_KeyPress(TextBox::Text1, 13);
    }
    void tick(int n = 1)
    {
        // The clock is on its next tick when it delivers one; the journal
        // marks the run when the tick is over.
        for (int i = 0; i < n; ++i) {
            nextDue += 1000;
            engine.Timer1_Timer();
        }
    }
    void settle()
    {
        journal.flush();
        QCoreApplication::processEvents();
    }
    BoxWindow window;
    SilentPlayers players;
    Engine engine{window, players};
    qint64 nextDue = 1'000'000;
    std::function<qint64()> due;
    Journal journal;
    QStringList notices;
    bool recording = false;
};

// What a kill -9 leaves: the file and its log as they stand.
QString copyOf(const QString &from, QTemporaryDir &to)
{
    for (const QString &suffix : {QString(), QStringLiteral("-wal")})
        QFile::copy(QDir(from).filePath(kFile + suffix), to.filePath(kFile + suffix));
    return to.path();
}

QList<QStringList> parseCsv(const QString &text)
{
    QList<QStringList> rows{{}};
    QString cell;
    bool quoted = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (quoted && c == u'"' && i + 1 < text.size() && text[i + 1] == u'"')
            cell += c, ++i;
        else if (c == u'"')
            quoted = !quoted;
        else if (!quoted && c == u',')
            rows.last() << std::exchange(cell, QString());
        else if (!quoted && c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n')
            rows.last() << std::exchange(cell, QString()), rows.append(QStringList()), ++i;
        else
            cell += c;
    }
    rows.removeLast();
    return rows;
}

void makeDatabase(const QString &file, const QStringList &statements)
{
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("maker"));
        db.setDatabaseName(file);
        QVERIFY(db.open());
        QSqlQuery q(db);
        for (const QString &s : statements)
            QVERIFY2(q.exec(s), qPrintable(s));
    }
    QSqlDatabase::removeDatabase(QStringLiteral("maker"));
}

QByteArray contents(const QString &file)
{
    QFile f(file);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}
} // namespace

class TestJournal : public QObject {
    Q_OBJECT
private slots:
    // Entered before any thread starts; the cases that need it fail with its reason.
    void initTestCase() { testing::privateMounts(); }
    void recordOfAShortRun();
    void interruptedRun_data();
    void interruptedRun();
    void resumedRunCarriesOn();
    void adoptionClosesTheInterruptedRun();
    void migration();
    void faultAtOpen_data();
    void faultAtOpen();
    void vanishesDuringARun();
    void diskFillsDuringARun();
    void recordWindowOnF7();
    void csvCells_data();
    void csvCells();
    void cueProof_data();
    void cueProof();
    void cueReportsKeptOnce();
    void endsOutsideARunAreCounted();
    void cueSourceInEveryTable_data();
    void cueSourceInEveryTable();
    void holdsKeptOnceAndExported();
};

// The proof rows of one run: the controller's cues (room empty) against the
// rooms' reports. Columns: room:player:due offset (ms):started-due (0: unheard).
void TestJournal::cueProof_data()
{
    QTest::addColumn<QStringList>("cues");
    QTest::addColumn<QStringList>("events"); // the rows' kinds, in order
    QTest::addColumn<QString>("largestOfA");
    QTest::newRow("all played") << QStringList{":1:0:80", "A:1:3:82"}
                                << QStringList{"合図の報告", "合図の報告", "部屋ごとのずれ", "部屋ごとのずれ"} << "+2 ms";
    QTest::newRow("one not reported") << QStringList{":1:0:80", ":2:1000:80", "A:2:1002:79"}
                                      << QStringList{"合図の報告", "報告のない合図", "合図の報告", "合図の報告",
                                                     "部屋ごとのずれ", "部屋ごとのずれ"} << "-1 ms";
    QTest::newRow("one unheard") << QStringList{":1:0:80", "A:1:2:0", ":1:1000:80", "A:1:1001:95"}
                                 << QStringList{"合図の報告", "鳴らなかった合図", "合図の報告", "合図の報告",
                                                "部屋ごとのずれ", "部屋ごとのずれ"} << "+15 ms";
}

void TestJournal::cueProof()
{
    QFETCH(QStringList, cues);
    QFETCH(QStringList, events);
    QFETCH(QString, largestOfA);
    std::vector<journal::RunCue> in;
    const qint64 due0 = 1'700'000'000'000;
    for (const QString &c : cues) {
        const QStringList f = c.split(u':');
        PlayedCue p{f[0], due0 + f[2].toInt(), f[1].toInt(), 1, 2, 0, 0, CueSource::OwnFile};
        p.startedMs = f[3].toInt() ? p.dueMs + f[3].toInt() : 0;
        in.push_back({1, p});
    }
    const QList<QStringList> rows = journal::proofRows(in, [](qint64) { return 0; });
    QStringList kinds;
    for (const QStringList &r : rows)
        kinds << r[2];
    QCOMPARE(kinds, events);
    QVERIFY2(rows.last()[8].contains(largestOfA), qPrintable(rows.last()[8]));
}

// A report taken twice is one row; a room's kept cue comes back after a
// restart until it is marked sent.
void TestJournal::cueReportsKeptOnce()
{
    QTemporaryDir dir;
    const PlayedCue cue{u"A"_qs, QDateTime::currentMSecsSinceEpoch() - 5000, 1, 1, 2, 0, 4.5, CueSource::BuiltIn};
    {
        Rig r(dir.path());
        r.journal.recordPlayedCue(cue, CueProof::Taken);
        r.journal.recordPlayedCue(cue, CueProof::Taken);
        r.journal.recordPlayedCue(cue, CueProof::Kept);
        PlayedCue own = cue; // the controller's own, without a room
        own.room = QString();
        r.journal.recordPlayedCue(own, CueProof::Taken);
        r.journal.finish();
    }
    {
        Rig r(dir.path());
        QCOMPARE(r.journal.takeUnsentCues(), QList<PlayedCue>{cue});
        r.journal.recordPlayedCue(cue, CueProof::Sent);
        QSignalSpy read(&r.journal, &Journal::recordRead);
        r.journal.readRecord();
        QVERIFY(read.wait());
        int reported = 0;
        for (const QStringList &row : read[0][0].value<QList<QStringList>>())
            reported += row.value(2) == u"鳴らなかった合図"_qs;
        QCOMPARE(reported, 2);
        r.journal.finish();
    }
    {
        Rig r(dir.path());
        QVERIFY(r.journal.takeUnsentCues().isEmpty());
        // Sent just before the connection went: unsent again.
        r.journal.recordPlayedCue(cue, CueProof::Resent);
        r.journal.finish();
    }
    Rig r(dir.path());
    QCOMPARE(r.journal.takeUnsentCues(), QList<PlayedCue>{cue});
}

// A number of questions below zero typed while idle ends the examination at
// every tick, banner and cue: its first end is kept, the rest as a count.
void TestJournal::endsOutsideARunAreCounted()
{
    QTemporaryDir dir;
    Rig r(dir.path());
    r.times("2", "1", "-1");
    r.tick(5);
    r.times("2", "1", "2");
    r.tick(2);
    QSignalSpy read(&r.journal, &Journal::recordRead);
    r.journal.readRecord();
    QVERIFY(read.wait());
    QStringList kinds;
    for (const QStringList &row : read[0][0].value<QList<QStringList>>())
        kinds << row[2];
    QCOMPARE(kinds.mid(3), (QStringList{u"合図の音"_qs, u"試験終了"_qs, u"試験終了のくり返し"_qs, u"合図の音"_qs,
                                        u"時間の入力"_qs}));
    QVERIFY(read[0][0].value<QList<QStringList>>()[5][8].contains(u" 4 回"_qs));
}

// Each source of a cue as both tables keep it and the record shows it; a
// journal from before the one name ("built-in" in its events) reads as it did.
void TestJournal::cueSourceInEveryTable_data()
{
    QTest::addColumn<int>("source");
    QTest::addColumn<QString>("oldEventKey"); // written over the event's, unless empty
    QTest::addColumn<QString>("eventKey"); // empty: NULL
    QTest::addColumn<QString>("reportKey");
    QTest::addColumn<QString>("detail"); // of the cue's event in the record
    QTest::addColumn<QString>("proof");  // of the cue's proof row
    const QString chime = u"合図 4（入力確認のチャイム）: "_qs;
    QTest::newRow("own") << int(CueSource::OwnFile) << "" << "own" << "own" << chime + u"c.wav"_qs
                         << "指定の音声ファイル";
    QTest::newRow("built-in") << int(CueSource::BuiltIn) << "" << "builtin" << "builtin"
                              << chime + u"内蔵の音（why）"_qs << "内蔵の音";
    QTest::newRow("silent") << int(CueSource::Silent) << "" << "silent" << "silent"
                            << chime + u"鳴らず（why）"_qs << "音なし";
    QTest::newRow("not open") << int(CueSource::NotOpen) << "" << "" << "unknown" << chime + u"鳴らず（why）"_qs
                              << "音なし";
    QTest::newRow("an older journal's built-in") << int(CueSource::BuiltIn) << "built-in" << "built-in"
                                                 << "builtin" << chime + u"内蔵の音（why）"_qs << "内蔵の音";
}

void TestJournal::cueSourceInEveryTable()
{
    QFETCH(int, source);
    QFETCH(QString, oldEventKey);
    QFETCH(QString, eventKey);
    QFETCH(QString, reportKey);
    QFETCH(QString, detail);
    QFETCH(QString, proof);
    QTemporaryDir dir;
    const auto cs = CueSource(source);
    {
        Rig r(dir.path());
        r.journal.setCueSound([cs](int) { return CueStatus{cs, u"c.wav"_qs, u"why"_qs}; });
        r.engine.TimeCal(); // the chime
        const qint64 due = QDateTime::currentMSecsSinceEpoch();
        r.journal.recordPlayedCue({{}, due, 4, 0, 0, due + kCueDelayMs, 0, cs}, CueProof::Taken);
        r.journal.finish();
    }
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("keys"));
        db.setDatabaseName(dir.filePath(kFile));
        QVERIFY(db.open());
        QSqlQuery q(db);
        if (!oldEventKey.isEmpty())
            QVERIFY(q.exec(u"UPDATE events SET cue_source = '%1' WHERE kind = 'cue'"_qs.arg(oldEventKey)));
        QVERIFY(q.exec(u"SELECT cue_source FROM events WHERE kind = 'cue'"_qs) && q.next());
        QCOMPARE(q.value(0).isNull(), eventKey.isEmpty());
        QCOMPARE(q.value(0).toString(), eventKey);
        QVERIFY(q.exec(u"SELECT cue_source FROM cue_reports"_qs) && q.next());
        QCOMPARE(q.value(0).toString(), reportKey);
    }
    QSqlDatabase::removeDatabase(QStringLiteral("keys"));
    Rig r(dir.path());
    QSignalSpy read(&r.journal, &Journal::recordRead);
    r.journal.readRecord();
    QVERIFY(read.wait());
    const auto rows = read[0][0].value<QList<QStringList>>();
    const auto row = [&rows](const QString &kind) {
        const auto at = std::find_if(rows.begin(), rows.end(), [&](const QStringList &cells) { return cells[2] == kind; });
        return at == rows.end() ? QString() : at->value(8);
    };
    QCOMPARE(row(u"合図の音"_qs), detail);
    QVERIFY2(row(u"合図の報告"_qs).endsWith(proof + u'）'), qPrintable(row(u"合図の報告"_qs)));
}

void TestJournal::recordOfAShortRun()
{
    QTemporaryDir dir;
    Rig r(dir.path());
    QVERIFY(r.recording);
    r.times("2", "1", "2");
    r.engine.Command1_Click();
    r.tick(2);
    r.engine.Command2_Click();
    r.engine.Command2_Click();
    r.tick(4);
    r.journal.recordLateCue(3, 37);
    r.journal.recordDroppedCue(1);
    r.journal.recordNotice(QStringLiteral("a, \"b\"\nc"));
    r.engine.Command1_Click();
    r.engine.Command4_Click();

    const QString file = dir.filePath(QStringLiteral("record.csv"));
    QSignalSpy saved(&r.journal, &Journal::exported);
    r.journal.exportCsv(file);
    QVERIFY(saved.wait());
    QCOMPARE(saved[0][2].toString(), QString());
    for (const char *made : {"", "-wal", "-shm", ".lock"}) // readable by their owner only
        QCOMPARE(QFileInfo(dir.filePath(kFile + made)).permissions() & 0x60FF, QFile::ReadOwner | QFile::WriteOwner);
    const QByteArray bytes = contents(file);
    QVERIFY(bytes.startsWith("\xEF\xBB\xBF"));
    const QList<QStringList> rows = parseCsv(QString::fromUtf8(bytes.mid(3)));

    const QString own = QStringLiteral("合図 %1（%2）: cue.wav");
    const QStringList expected[] = {
        {"", "起動", "0", "0", "30", "5", "40", "Tavrin ver. 1.70"},
        {"", "合図の音", "0", "0", "30", "5", "40", own.arg(4).arg("入力確認のチャイム")},
        {"", "時間の入力", "0", "0", "2", "1", "2", "30, 5, 40 → 2, 1, 2"},
        {"1", "開始", "1", "0", "2", "1", "2", ""},
        {"1", "問題の始まり", "1", "1", "2", "1", "2", ""},
        {"1", "合図の音", "1", "1", "2", "1", "2", own.arg(1).arg("残り数秒の合図")},
        {"1", "合図の音", "1", "2", "2", "1", "2", own.arg(2).arg("解答時間終了の合図")},
        {"1", "中断", "1", "2", "2", "1", "2", ""},
        {"1", "再開", "1", "2", "2", "1", "2", ""},
        {"1", "問題の始まり", "2", "1", "2", "1", "2", ""},
        {"1", "合図の音", "2", "1", "2", "1", "2", own.arg(1).arg("残り数秒の合図")},
        {"1", "合図の音", "2", "2", "2", "1", "2", own.arg(2).arg("解答時間終了の合図")},
        {"1", "合図の音", "3", "1", "2", "1", "2", "合図 3（試験終了の合図）: 内蔵の音（見つかりません）"},
        {"1", "試験終了", "0", "0", "2", "1", "2", ""},
        {"1", "遅れた合図", "0", "0", "2", "1", "2", "合図 3（試験終了の合図）: 音の出力が間に合わず、37 ms 遅れて鳴りました"},
        {"1", "鳴らなかった合図", "0", "0", "2", "1", "2", "合図 1（残り数秒の合図）: 音の出力が間に合わず、鳴りませんでした"},
        {"1", "お知らせ", "0", "0", "2", "1", "2", "a, \"b\"\nc"},
        {"1", "リセット", "0", "0", "2", "1", "2", ""},
        {"", "終了", "0", "0", "2", "1", "2", ""},
    };
    QCOMPARE(rows.value(0), QStringList({"試験", "時刻", "出来事", "問", "秒", "1問あたり", "移動時間", "問題数", "内容"}));
    QCOMPARE(rows.size(), qsizetype(std::size(expected)) + 1);
    static const QRegularExpression localTime(QStringLiteral(R"(^\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.\d{3} [+-]\d\d:\d\d$)"));
    for (qsizetype i = 0; i < qsizetype(std::size(expected)); ++i) {
        QStringList row = rows[i + 1];
        QVERIFY2(localTime.match(row.value(1)).hasMatch(), qPrintable(row.value(1)));
        row.removeAt(1);
        QCOMPARE(row, expected[i]);
    }
}

void TestJournal::interruptedRun_data()
{
    QTest::addColumn<QString>("script");
    QTest::addColumn<bool>("interrupted");
    QTest::newRow("running") << "start tick tick tick" << true;
    QTest::newRow("paused") << "start tick tick pause" << true;
    QTest::newRow("times changed while running") << "start tick times tick" << true;
    QTest::newRow("ended") << "start tick10" << false;
    QTest::newRow("reset from a pause") << "start tick pause reset" << false;
    QTest::newRow("never started") << "times" << false;
    QTest::newRow("window closed, the run aborted") << "start tick abort" << false;
    QTest::newRow("ended by the system") << "start tick system" << true;
    // A programme's plan and position come back whole: reading time, a break.
    QTest::newRow("programme, reading") << "programme start tick" << true;
    QTest::newRow("programme, break") << "programme start tick tick tick tick tick tick tick tick" << true;
}

void TestJournal::interruptedRun()
{
    QFETCH(QString, script);
    QFETCH(bool, interrupted);
    QTemporaryDir dir, killed;
    RunSnapshot last;
    {
        Rig r(dir.path());
        r.times("3", "2", "2");
        for (const QString &step : script.split(u' ')) {
            if (step == "start" || step == "reset")
                r.engine.Command1_Click();
            else if (step == "pause")
                r.engine.Command2_Click();
            else if (step == "times")
                r.times("4", "1", "3");
            else if (step == "programme") {
                Part read, pause;
                read.questions = 1, read.answer = 3, read.move = 2, read.reading = 1;
                pause.kind = Part::Kind::Break, pause.seconds = 4, pause.banner = "休憩";
                QVERIFY(r.engine.setProgramme(Programme{{read, pause, read}}));
            } else if (step == "abort")
                r.journal.abortRun();
            else if (step == "system")
                r.journal.finish(Journal::Ending::System, "SIGTERM");
            else
                r.tick(step == "tick" ? 1 : step.mid(4).toInt());
        }
        r.journal.flush();
        last = r.engine.snapshot();
        copyOf(dir.path(), killed);
    }
    Rig again(killed.path());
    QVERIFY(again.recording);
    QCOMPARE(again.journal.interruptedRun().has_value(), interrupted);
    if (interrupted) {
        const InterruptedRun &run = *again.journal.interruptedRun();
        QCOMPARE(run.last, last);
        QCOMPARE(run.nextDueWallMs, again.nextDue + 1000 * script.count(QStringLiteral("tick ")) +
                                        1000 * script.endsWith(QStringLiteral("tick")));
        QVERIFY(!run.closedByWindow);
    }
    if (script.startsWith(u"programme")) {
        // Each part begun is on the record, with its due and actual time.
        QSignalSpy read(&again.journal, &Journal::recordRead);
        again.journal.readRecord();
        QVERIFY(read.wait());
        QStringList parts;
        for (const QStringList &cells : read[0][0].value<QList<QStringList>>())
            if (cells[2] == u"部分の始まり")
                parts << cells[8];
        QCOMPARE(parts.size(), script.count(u"tick") >= 6 ? 2 : 1);
        QVERIFY2(parts.last().contains(u"予定 ") && !parts.last().contains(u"予定 -"), qPrintable(parts.last()));
    }
}

// Resumed on the run's grid, the run carries on under its own number; once
// abandoned, it is offered no more.
void TestJournal::resumedRunCarriesOn()
{
    QTemporaryDir first, second, third, fourth;
    RunSnapshot last;
    qint64 due = 0;
    {
        Rig r(first.path());
        r.engine.Command1_Click();
        r.tick(3);
        due = r.nextDue = QDateTime::currentMSecsSinceEpoch() - 2500;
        r.journal.heartbeat();
        r.journal.flush();
        last = r.engine.snapshot();
        copyOf(first.path(), second);
    }
    PhaseTimer clock;
    clock.setInterval(1000);
    {
        Rig r(second.path());
        r.due = [&clock] { return clock.nextDueWallMs(); };
        const std::optional<ResumePoint> point = resumePoint(r.journal);
        QVERIFY(point);
        QCOMPARE(point->markTickWallMs, due - 1000);
        QVERIFY(resume(r.journal, r.engine, clock, *r.journal.interruptedRun(), ResumeChoice::FromNow));
        QCOMPARE(r.engine.snapshot(), advanced(last, 3));
        const qint64 offGrid = (clock.nextDueWallMs() - due) % 1000;
        QVERIFY2(offGrid <= 2 || offGrid >= 998, qPrintable(QString::number(offGrid)));
        r.journal.flush();
        last = r.engine.snapshot();
        copyOf(second.path(), third);
    }
    {
        Rig r(third.path());
        QVERIFY(r.journal.interruptedRun());
        QCOMPARE(r.journal.interruptedRun()->id, qint64(1));
        QCOMPARE(r.journal.interruptedRun()->last, last);
        QVERIFY(resume(r.journal, r.engine, clock, *r.journal.interruptedRun(), ResumeChoice::Abandon));
        r.journal.flush();
        copyOf(third.path(), fourth);
    }
    Rig r(fourth.path());
    QVERIFY(!r.journal.interruptedRun());
    QVERIFY(!resumePoint(r.journal));
}

// A room that takes its controller's run over closes its own interrupted
// run rather than offer it again at every start.
void TestJournal::adoptionClosesTheInterruptedRun()
{
    QTemporaryDir first, second, third;
    RunSnapshot run;
    {
        Rig r(first.path());
        r.engine.Command1_Click();
        r.tick(3);
        r.journal.flush();
        run = r.engine.snapshot();
        copyOf(first.path(), second);
    }
    {
        Rig r(second.path());
        QVERIFY(r.journal.interruptedRun());
        QVERIFY(r.engine.adopt(advanced(run, 5)));
        QVERIFY(!r.journal.interruptedRun());
        r.settle();
        copyOf(second.path(), third);
    }
    // What is interrupted now is the run taken over, not the old one.
    Rig r(third.path());
    QVERIFY(r.journal.interruptedRun());
    QCOMPARE(r.journal.interruptedRun()->id, qint64(2));
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("reader"));
        db.setDatabaseName(third.filePath(kFile));
        QVERIFY(db.open());
        QSqlQuery q(QStringLiteral("SELECT state FROM runs WHERE id = 1"), db);
        QVERIFY(q.next());
        QCOMPARE(q.value(0).toString(), u"abandoned"_qs);
    }
    QSqlDatabase::removeDatabase(QStringLiteral("reader"));
}

void TestJournal::migration()
{
    QTemporaryDir dir;
    const QString file = dir.filePath(kFile);
    { Rig r(dir.path()); }
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("m"));
    db.setDatabaseName(file);
    QVERIFY(db.open());
    QSqlQuery q(db);
    auto scalar = [&q](const char *sql) { return q.exec(QLatin1String(sql)) && q.next() ? q.value(0) : QVariant(); };
    QCOMPARE(scalar("PRAGMA user_version").toInt(), int(journal::steps().size()));
    QCOMPARE(scalar("PRAGMA application_id").toInt(), journal::kApplicationId);
    const int events = scalar("SELECT count(*) FROM events").toInt();
    QVERIFY(events >= 2);

    // A step that fails leaves the file at its version, whole.
    std::vector<journal::Step> steps(journal::steps().begin(), journal::steps().end());
    const char *const broken[] = {"ALTER TABLE events ADD COLUMN room TEXT", "NOT SQL", nullptr};
    steps.push_back(broken);
    journal::Migration m = journal::migrate(db, steps);
    QVERIFY(!m.ok);
    QCOMPARE(scalar("PRAGMA user_version").toInt(), int(journal::steps().size()));
    QVERIFY(!q.exec(QStringLiteral("SELECT room FROM events")));

    // One that works keeps every row.
    const char *const next[] = {"ALTER TABLE events ADD COLUMN room TEXT", nullptr};
    steps.back() = next;
    m = journal::migrate(db, steps);
    QVERIFY2(m.ok, qPrintable(m.error));
    QCOMPARE(m.to, int(steps.size()));
    QCOMPARE(scalar("SELECT count(room IS NULL) FROM events").toInt(), events);
    q = QSqlQuery();
    db.close();
    db = QSqlDatabase();
    QSqlDatabase::removeDatabase(QStringLiteral("m"));
    // This program now finds a newer file, and leaves it alone.
    const QByteArray before = contents(file);
    Rig r(dir.path());
    QVERIFY(!r.recording);
    QCOMPARE(contents(file), before);
}

void TestJournal::faultAtOpen_data()
{
    QTest::addColumn<QString>("fault");
    QTest::addColumn<bool>("recording");
    QTest::addColumn<QString>("notice");  // a part of it
    QTest::addColumn<bool>("keptAside");  // the file moved aside, a fresh one made
    QTest::newRow("garbage") << "garbage" << true << "壊れていたため" << true;
    QTest::newRow("truncated") << "truncated" << true << "壊れていたため" << true;
    QTest::newRow("not a journal") << "foreign" << true << "Tavrin の記録ファイルではありません" << true;
    QTest::newRow("future version") << "future" << false << "新しい版の Tavrin" << false;
    QTest::newRow("read-only file") << "read-only file" << false << "読み取り専用" << false;
    QTest::newRow("read-only folder") << "read-only folder" << false << "フォルダーに書き込めません" << false;
    QTest::newRow("a folder in its place") << "folder" << false << "同じ名前のフォルダー" << false;
    QTest::newRow("another Tavrin") << "locked" << false << "別の Tavrin（プロセス番号 " << false;
    QTest::newRow("lock of a killed Tavrin") << "stale lock" << true << "" << false;
    QTest::newRow("a link in its place") << "link" << false << "シンボリックリンク" << false;
    QTest::newRow("a link for its log") << "link-wal" << false << "シンボリックリンク" << false;
}

void TestJournal::faultAtOpen()
{
    QFETCH(QString, fault);
    QFETCH(bool, recording);
    QFETCH(QString, notice);
    QFETCH(bool, keptAside);
    QTemporaryDir dir;
    const QString file = dir.filePath(kFile);
    const auto unmount = qScopeGuard([&] {
        testing::unmount(file);
        testing::unmount(dir.path());
    });
    std::unique_ptr<QLockFile> other;
    if (fault == "garbage") {
        QFile f(file);
        QVERIFY(f.open(QIODevice::WriteOnly));
        for (int i = 0; i < 1000; ++i)
            f.write(QByteArray::number(QRandomGenerator::global()->generate()));
    } else if (fault == "truncated" || fault == "read-only file") {
        {
            Rig r(dir.path());
            r.engine.Command1_Click();
            r.tick(40);
        }
        if (fault == "truncated")
            QVERIFY(QFile::resize(file, 5000));
        else
            QCOMPARE(testing::mountReadOnly(file), QString());
    } else if (fault == "foreign" || fault == "future") {
        makeDatabase(file, fault == "foreign" ? QStringList{"CREATE TABLE notes (text)"}
                                              : QStringList{"PRAGMA application_id = 1415673458",
                                                            "PRAGMA user_version = 99", "CREATE TABLE later (x)"});
    } else if (fault == "read-only folder") {
        QCOMPARE(testing::mountReadOnly(dir.path()), QString());
    } else if (fault == "folder") {
        QVERIFY(QDir(dir.path()).mkdir(kFile));
    } else if (fault == "locked") {
        other = std::make_unique<QLockFile>(file + ".lock");
        QVERIFY(other->tryLock(0));
    } else if (fault.startsWith("link")) {
        QFile target(dir.filePath("elsewhere"));
        QVERIFY(target.open(QIODevice::WriteOnly) && target.write("not to be written") > 0);
        target.close();
        QVERIFY(QFile::link(target.fileName(), fault == "link" ? file : file + "-wal"));
    } else if (fault == "stale lock") {
        QFile lock(file + ".lock");
        QVERIFY(lock.open(QIODevice::WriteOnly));
        lock.write("999999\ntavrin\n" + QSysInfo::machineHostName().toUtf8() + "\n");
    }
    const QByteArray before = contents(file);
    {
        Rig r(dir.path());
        QCOMPARE(r.recording, recording);
        // The run goes on whatever became of the journal.
        r.engine.Command1_Click();
        r.tick(3);
        r.settle();
        QCOMPARE(r.engine.state().t, Integer(4));
        QCOMPARE(r.notices.size(), notice.isEmpty() ? 0 : 1);
        if (!notice.isEmpty())
            QVERIFY2(r.notices[0].contains(notice), qPrintable(r.notices[0]));
        if (fault == "locked")
            QVERIFY(r.notices[0].contains(QString::number(QCoreApplication::applicationPid())));
    }
    const QStringList aside = QDir(dir.path()).entryList({"Tavrin-record-damaged-*.sqlite"});
    QCOMPARE(aside.size(), keptAside ? 1 : 0);
    if (keptAside)
        QCOMPARE(contents(dir.filePath(aside[0])), before);
    else if (!recording)
        QCOMPARE(contents(file), before);
}

void TestJournal::vanishesDuringARun()
{
    QTemporaryDir dir, killed;
    Rig r(dir.path());
    r.engine.Command1_Click();
    r.tick(2);
    r.settle();
    for (const char *suffix : {"", "-wal", "-shm", ".lock"})
        QVERIFY(QFile::remove(dir.filePath(kFile + suffix)));
    r.tick(2);
    r.settle();
    QCOMPARE(r.notices.size(), 1);
    QVERIFY2(r.notices[0].contains("なくなったため、新しい記録ファイルを作って"), qPrintable(r.notices[0]));
    QVERIFY(r.journal.recording());
    r.tick();
    r.journal.flush();
    // The fresh file carries the run on: it could be resumed from it.
    Rig again(copyOf(dir.path(), killed));
    QVERIFY(again.journal.interruptedRun());
    QCOMPARE(again.journal.interruptedRun()->last, r.engine.snapshot());
}

void TestJournal::diskFillsDuringARun()
{
    QTemporaryDir dir;
    QCOMPARE(testing::mountSmallDisk(dir.path(), 256 * 1024), QString());
    const auto unmount = qScopeGuard([&dir] { testing::unmount(dir.path()); });
    {
        Rig r(dir.path());
        QVERIFY(r.recording);
        r.engine.Command1_Click();
        for (int i = 0; i < 200 && r.journal.recording(); ++i) {
            r.journal.recordNotice(QString(4000, u'字'));
            r.tick();
            r.journal.flush();
        }
        r.settle();
        QVERIFY(!r.journal.recording());
        QVERIFY2(r.notices.value(0).contains("ディスクがいっぱいのため"), qPrintable(r.notices.value(0)));
        QCOMPARE(r.notices.size(), 1);
        const Integer t = r.engine.state().t;
        r.tick();
        QVERIFY(r.engine.state().t != t);
    }
}

void TestJournal::recordWindowOnF7()
{
    testing::WindowRig rig;
    rig.clock.setInterval(0); // no tick may add a row meanwhile
    Journal journal(rig.dir.path());
    RecordWindow *record = attachJournal(journal, rig.engine, rig.clock, rig.form);
    journal.open();
    rig.engine.Command1_Click();
    QAction *f7 = nullptr;
    for (QAction *a : rig.form.actions())
        if (a->shortcut() == QKeySequence(Qt::Key_F7))
            f7 = a;
    QVERIFY(f7);
    QSignalSpy shown(record, &RecordWindow::refreshed);
    f7->trigger();
    QVERIFY(shown.wait());
    QVERIFY(record->isVisible());
    QCOMPARE(record->view()->model()->rowCount(), 1);
    QCOMPARE(record->view()->model()->index(0, 2).data().toString(), QStringLiteral("開始"));
    QCOMPARE(record->status(), QStringLiteral("1 件"));
}

void TestJournal::csvCells_data()
{
    QTest::addColumn<QString>("cell");
    QTest::addColumn<QString>("written");
    QTest::newRow("formula") << "=HYPERLINK(\"x\")" << "\"'=HYPERLINK(\"\"x\"\")\"";
    QTest::newRow("plus") << "+1+cmd" << "'+1+cmd";
    QTest::newRow("minus text") << "-2 s" << "'-2 s";
    QTest::newRow("at") << "@SUM(A1)" << "'@SUM(A1)";
    QTest::newRow("tab") << "\tx" << "'\tx";
    QTest::newRow("carriage return") << "\rx" << "\"'\rx\"";
    QTest::newRow("leading blank") << " =1" << "' =1";
    QTest::newRow("ideographic space") << u"\u3000=1"_qs << u"'\u3000=1"_qs;
    QTest::newRow("no-break space") << u"\u00A0=1"_qs << u"'\u00A0=1"_qs;
    QTest::newRow("byte order mark") << u"\uFEFF=1"_qs << u"'\uFEFF=1"_qs;
    QTest::newRow("full-width equals") << u"\uFF1D1"_qs << u"'\uFF1D1"_qs;
    QTest::newRow("full-width plus") << u"\uFF0B1"_qs << u"'\uFF0B1"_qs;
    QTest::newRow("full-width minus") << u"\uFF0D1"_qs << u"'\uFF0D1"_qs;
    QTest::newRow("full-width at") << u"\uFF20x"_qs << u"'\uFF20x"_qs;
    QTest::newRow("full-width slash") << u"\uFF0Fx"_qs << u"'\uFF0Fx"_qs;
    QTest::newRow("negative number") << "-12" << "-12";
    QTest::newRow("signed decimal") << "+0.5" << "+0.5";
    QTest::newRow("text") << "a=b" << "a=b";
}

void TestJournal::csvCells()
{
    QFETCH(QString, cell);
    QFETCH(QString, written);
    QCOMPARE(QString::fromUtf8(journal::csv({"h"}, {{cell}}).mid(3)), "h\r\n" + written + "\r\n");
}

// A journal of the version before lost questions were kept by block opens
// with its holds as they were; each hold is kept once, listed in the record
// with every question it lost, and saved alone as incidents. A room's own
// hold still standing is no incident: the next start takes it up, once.
void TestJournal::holdsKeptOnceAndExported()
{
    QTemporaryDir dir;
    const qint64 at = QDateTime::currentMSecsSinceEpoch() - 60'000;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("old"));
        db.setDatabaseName(dir.filePath(kFile));
        QVERIFY(db.open());
        QVERIFY(journal::migrate(db, journal::steps().first(3)).ok);
        QSqlQuery q(db);
        QVERIFY(q.exec(QStringLiteral("INSERT INTO holds (room, held_by, from_utc_ms, to_utc_ms, first_lost, last_lost)"
                                      " VALUES ('B', 'controller', %1, %2, 2, 2)").arg(at).arg(at + 3500)));
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("old"));
    const auto hold = [](const QString &room, const QString &by, qint64 from, qint64 to, int first, int last) {
        journal::HoldEntry h;
        h.room = room, h.by = by, h.fromMs = from, h.toMs = to, h.firstLost = first, h.lastLost = last;
        return h;
    };
    journal::HoldEntry c = hold(u"C"_qs, u"room"_qs, at + 20000, at + 20000, 3, 0);
    c.open = true;
    c.question = 3;
    c.part = 2;
    {
        Rig r(dir.path());
        QVERIFY(r.recording);
        r.journal.recordHold(hold(u"B"_qs, u"controller"_qs, at, at + 3500, 2, 9)); // seen again: kept as it was
        journal::HoldEntry a = hold(u"A"_qs, u"room"_qs, at + 9000, at + 9500, 4, 3);
        a.lost = {{1, 4, 5}, {3, 1, 2}};
        r.journal.recordHold(a);
        r.journal.recordHold(c);
        c.released = true;
        r.journal.recordHold(c);
        QSignalSpy read(&r.journal, &Journal::recordRead);
        r.journal.readRecord();
        QVERIFY(read.wait());
        QStringList details;
        for (const QStringList &row : read[0][0].value<QList<QStringList>>())
            if (row[2] == u"部屋の停止"_qs)
                details << row[8];
        QCOMPARE(details.size(), 2);
        QVERIFY2(details[0].contains(u"失った問題 第 1 部 4～5 問目、第 3 部 1～2 問目（止めたのは 部屋）"_qs) &&
                     details[1].contains(u"失った問題 2 問目（止めたのは 操作卓）"_qs),
                 qPrintable(details.join(u'\n')));
        const QString file = dir.filePath(QStringLiteral("holds.csv"));
        QSignalSpy saved(&r.journal, &Journal::exported);
        r.journal.exportHoldsCsv(file);
        QVERIFY(saved.wait());
        const QList<QStringList> rows = parseCsv(QString::fromUtf8(contents(file).mid(3)));
        QCOMPARE(rows.size(), 3);
        QCOMPARE(rows[0], journal::holdsHeader());
        QCOMPARE((QStringList{rows[1][0], rows[1][4], rows[2][0], rows[2][3]}),
                 (QStringList{u"A"_qs, u"部屋"_qs, u"B"_qs, u"2 問目"_qs}));
        r.journal.finish();
    }
    for (bool first : {true, false}) {
        Rig r(dir.path());
        const std::optional<journal::HoldEntry> kept = r.journal.takeOpenHold();
        QCOMPARE(kept.has_value(), first);
        QVERIFY(!r.journal.takeOpenHold());
        if (!kept)
            break;
        QCOMPARE((std::tuple{kept->room, kept->by, kept->fromMs, kept->question, kept->part, kept->released}),
                 (std::tuple{c.room, c.by, c.fromMs, 3, 2, true}));
        c.open = false; // it ended: the next start finds none
        r.journal.recordHold(c);
        r.journal.finish();
    }
}

QTEST_MAIN(TestJournal)
#include "tst_journal.moc"
