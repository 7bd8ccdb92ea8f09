// A start at a time of day on a driven clock, with the parts built in
// either order: the run starts at the start second and shows its first
// second one tick later.
#include "engine.h"
#include "scheduled_start.h"
#include "window_rig.h"

#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include <optional>

using namespace tavrin;

namespace {
constexpr qint64 kStart = 1'800'000'000'000; // a whole second

// The parts, and which tick did what (ms after the start second).
struct Parts : RunObserver {
    qint64 due = kStart - 5000;
    QStringList seen;
    testing::WindowRig rig{testing::WindowRig::Later{}};
    std::optional<ScheduledStart> start;
    void build()
    {
        start.emplace(rig.engine, rig.form, rig.clock);
        start->setTimes({[this] { return due + 3; }, [this] { return due; }, [this] { return due + 1000; }});
        rig.engine.addObserver(&*start);
    }
    void runEvent(const RunEvent &e, const ExamState &st) override
    {
        if (e.kind == RunEventKind::Start || e.kind == RunEventKind::Question)
            seen << u"%1 %2 at %3"_qs.arg(e.kind == RunEventKind::Start ? u"start"_qs : u"question"_qs)
                        .arg(st.ck.value())
                        .arg(due - kStart);
    }
};
} // namespace

class TestScheduledStart : public QObject {
    Q_OBJECT
private slots:
    void firstSecondOneTickAfterTheStart_data()
    {
        QTest::addColumn<bool>("startFirst");
        QTest::newRow("start built before the window is wired") << true;
        QTest::newRow("start built after") << false;
    }
    void firstSecondOneTickAfterTheStart()
    {
        QFETCH(bool, startFirst);
        Parts p;
        p.rig.engine.addObserver(&p);
        if (startFirst)
            p.build();
        p.rig.load();
        if (!startFirst)
            p.build();
        p.rig.clock.setInterval(0); // only the driven ticks
        QCOMPARE(p.start->setStart(kStart), QString());
        // Until then 開始 waits, and says so.
        QSignalSpy notices(&p.rig.form, &Form1::noticeShown);
        QTest::mouseClick(testing::control<QPushButton>(p.rig.form, "Command1"), Qt::LeftButton);
        QCOMPARE(notices.count(), 1);

        for (p.due = kStart - 2000; p.due <= kStart + 2000; p.due += 1000) {
            emit p.rig.clock.timeout();
            QCoreApplication::sendPostedEvents();
        }
        QCOMPARE(p.seen, QStringList({u"start 1 at 0"_qs, u"question 1 at 1000"_qs}));
        QCOMPARE(p.rig.engine.state().t.value(), 3);
    }
};

QTEST_MAIN(TestScheduledStart)
#include "tst_scheduled_start.moc"
