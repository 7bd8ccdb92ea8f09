// Keeping the screen on, against stand-in desktop services on a private
// session bus of the test's own (it restarts itself under dbus-run-session).
#include "engine.h"
#include "form1.h"
#include "screen_keeper.h"
#include "window_rig.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusContext>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QApplication>
#include <QElapsedTimer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QVariantMap>

#include <algorithm>
#include <unistd.h>
#include <vector>

using namespace tavrin;

namespace {

const char *const kPrivateBusMark = "TAVRIN_TEST_PRIVATE_BUS";
const QString kStandInBus = QStringLiteral("stand-in");

struct Call {
    QString method;
    QString path;
    QVariantList args;
};

// org.freedesktop.ScreenSaver as desktops offer it.
class FakeSaver : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.ScreenSaver")
public:
    std::vector<Call> calls;
    bool refuse = false;    // answer like a desktop whose saver cannot inhibit
    bool hang = false;      // never answer
    uint nextCookie = 41;

    int count(const QString &method) const
    {
        return int(std::count_if(calls.begin(), calls.end(), [&](const Call &c) { return c.method == method; }));
    }

public slots:
    uint Inhibit(const QString &application, const QString &reason)
    {
        calls.push_back({QStringLiteral("Inhibit"), message().path(), {application, reason}});
        if (refuse)
            sendErrorReply(QStringLiteral("org.freedesktop.DBus.Error.NotSupported"), QStringLiteral("no"));
        else if (hang)
            setDelayedReply(true);
        return ++nextCookie;
    }
    void UnInhibit(uint cookie)
    {
        calls.push_back({QStringLiteral("UnInhibit"), message().path(), {cookie}});
    }
};

class FakeRequest : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.portal.Request")
public:
    explicit FakeRequest(int *closed, QObject *parent) : QObject(parent), closed_(closed) {}
public slots:
    void Close() { ++*closed_; }
private:
    int *closed_;
};

// org.freedesktop.portal.Inhibit: each grant is a request object of its own.
class FakePortal : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.portal.Inhibit")
public:
    explicit FakePortal(QDBusConnection bus) : bus_(bus) {}
    std::vector<Call> calls;
    QStringList handles;
    int closed = 0;

public slots:
    QDBusObjectPath Inhibit(const QString &window, uint flags, const QVariantMap &options)
    {
        calls.push_back({QStringLiteral("Inhibit"), QString(), {window, flags, options}});
        const QString path = QStringLiteral("/org/freedesktop/portal/desktop/request/1_1/t%1").arg(handles.size());
        bus_.registerObject(path, new FakeRequest(&closed, this), QDBusConnection::ExportAllSlots);
        handles << path;
        return QDBusObjectPath(path);
    }

private:
    QDBusConnection bus_;
};

// Lets any answers on their way arrive, so that "no call" means none.
void settle()
{
    QTest::qWait(300);
}

} // namespace

class TestScreenKeeper : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void runHoldsAndResetReleases();
    void repeatedHoldsAndStrayReleases();
    void resetBeforeTheDesktopAnswers();
    void destructionReleases();
    void olderDesktopShortPath();
    void portalWhenNoSaver();
    void portalWhenSaverRefuses();
    void hungSaverNeverHoldsUpTheClock();
    void silentWithoutAnyService();
    void silentWithoutSessionBus();
    void windowRunsDriveTheKeeper();

private:
    void offerSaver(const QString &path = QStringLiteral("/org/freedesktop/ScreenSaver"));
    void offerPortal();

    QDBusConnection standIn_{QString()};
    FakeSaver *saver_ = nullptr;
    FakePortal *portal_ = nullptr;
};

void TestScreenKeeper::initTestCase()
{
    if (!qEnvironmentVariableIsSet(kPrivateBusMark))
        QSKIP("dbus-run-session is missing (package dbus)");
    QVERIFY(QDBusConnection::sessionBus().isConnected());
    standIn_ = QDBusConnection::connectToBus(QDBusConnection::SessionBus, kStandInBus);
    QVERIFY(standIn_.isConnected());
}

void TestScreenKeeper::init()
{
    saver_ = new FakeSaver;
    portal_ = new FakePortal(standIn_);
}

void TestScreenKeeper::cleanup()
{
    settle(); // a release sent as a keeper went away reaches this case's stand-ins, not the next's
    standIn_.unregisterService(QStringLiteral("org.freedesktop.ScreenSaver"));
    standIn_.unregisterService(QStringLiteral("org.freedesktop.portal.Desktop"));
    standIn_.unregisterObject(QStringLiteral("/org/freedesktop/ScreenSaver"));
    standIn_.unregisterObject(QStringLiteral("/ScreenSaver"));
    standIn_.unregisterObject(QStringLiteral("/org/freedesktop/portal/desktop"), QDBusConnection::UnregisterTree);
    delete saver_;
    delete portal_;
    saver_ = nullptr;
    portal_ = nullptr;
}

void TestScreenKeeper::offerSaver(const QString &path)
{
    QVERIFY(standIn_.registerObject(path, saver_, QDBusConnection::ExportAllSlots));
    QVERIFY(standIn_.registerService(QStringLiteral("org.freedesktop.ScreenSaver")));
}

void TestScreenKeeper::offerPortal()
{
    QVERIFY(standIn_.registerObject(QStringLiteral("/org/freedesktop/portal/desktop"), portal_,
                                    QDBusConnection::ExportAllSlots));
    QVERIFY(standIn_.registerService(QStringLiteral("org.freedesktop.portal.Desktop")));
}

void TestScreenKeeper::runHoldsAndResetReleases()
{
    offerSaver();
    offerPortal();
    QCoreApplication::setApplicationName(QStringLiteral("Tavrin"));
    ScreenKeeper keeper;

    keeper.follow(RunState::Running);
    QTRY_COMPARE(saver_->count(QStringLiteral("Inhibit")), 1);
    const Call inhibit = saver_->calls.front();
    QCOMPARE(inhibit.path, QStringLiteral("/org/freedesktop/ScreenSaver"));
    QCOMPARE(inhibit.args.at(0).toString(), QStringLiteral("Tavrin"));
    QCOMPARE(inhibit.args.at(1).toString(), QStringLiteral("試験の実施中"));
    QVERIFY(portal_->calls.empty());

    // A pause, a resume and the end of the questions keep the one inhibition.
    keeper.follow(RunState::Paused);
    keeper.follow(RunState::Running);
    keeper.follow(RunState::Finished);
    settle();
    QCOMPARE(saver_->calls.size(), size_t(1));

    keeper.follow(RunState::Idle);
    QTRY_COMPARE(saver_->calls.size(), size_t(2));
    QCOMPARE(saver_->calls.back().method, QStringLiteral("UnInhibit"));
    QCOMPARE(saver_->calls.back().args.at(0).toUInt(), saver_->nextCookie);

    // The next run asks again and is given a new cookie.
    keeper.follow(RunState::Running);
    QTRY_COMPARE(saver_->count(QStringLiteral("Inhibit")), 2);
}

void TestScreenKeeper::repeatedHoldsAndStrayReleases()
{
    offerSaver();
    ScreenKeeper keeper;
    keeper.release();
    keeper.hold();
    keeper.hold(); // while the first request is on its way
    settle();
    keeper.hold(); // and after it was granted
    keeper.release();
    keeper.release();
    settle();
    QCOMPARE(saver_->count(QStringLiteral("Inhibit")), 1);
    QCOMPARE(saver_->count(QStringLiteral("UnInhibit")), 1);
    QCOMPARE(saver_->calls.front().method, QStringLiteral("Inhibit"));
}

void TestScreenKeeper::resetBeforeTheDesktopAnswers()
{
    offerSaver();
    ScreenKeeper keeper;
    keeper.hold();
    keeper.release(); // the answer cannot have come yet
    QTRY_COMPARE(saver_->count(QStringLiteral("UnInhibit")), 1);
    QCOMPARE(saver_->calls.back().args.at(0).toUInt(), saver_->nextCookie);

    // Reset and start again before the answer: the inhibition is kept.
    keeper.hold();
    keeper.release();
    keeper.hold();
    settle();
    QCOMPARE(saver_->count(QStringLiteral("Inhibit")), 2);
    QCOMPARE(saver_->count(QStringLiteral("UnInhibit")), 1);
}

void TestScreenKeeper::destructionReleases()
{
    offerSaver();
    offerPortal();
    {
        ScreenKeeper keeper;
        keeper.hold();
        settle(); // granted
    }
    QTRY_COMPARE(saver_->count(QStringLiteral("UnInhibit")), 1);
    QCOMPARE(saver_->calls.back().args.at(0).toUInt(), saver_->nextCookie);

    standIn_.unregisterService(QStringLiteral("org.freedesktop.ScreenSaver"));
    {
        ScreenKeeper keeper;
        keeper.hold();
        settle();
    }
    QTRY_COMPARE(portal_->closed, 1);
}

void TestScreenKeeper::olderDesktopShortPath()
{
    offerSaver(QStringLiteral("/ScreenSaver"));
    offerPortal();
    ScreenKeeper keeper;
    keeper.hold();
    QTRY_COMPARE(saver_->calls.size(), size_t(1));
    QCOMPARE(saver_->calls.front().path, QStringLiteral("/ScreenSaver"));
    keeper.release();
    QTRY_COMPARE(saver_->calls.size(), size_t(2));
    QCOMPARE(saver_->calls.back().method, QStringLiteral("UnInhibit"));
    QCOMPARE(saver_->calls.back().path, QStringLiteral("/ScreenSaver"));
    QVERIFY(portal_->calls.empty());
}

void TestScreenKeeper::portalWhenNoSaver()
{
    offerPortal();
    ScreenKeeper keeper;
    keeper.hold();
    QTRY_COMPARE(portal_->calls.size(), size_t(1));
    const QVariantList args = portal_->calls.front().args;
    QCOMPARE(args.at(0).toString(), QString());
    QCOMPARE(args.at(1).toUInt(), 4u | 8u); // suspend and idle
    QCOMPARE(args.at(2).toMap().value(QStringLiteral("reason")).toString(), QStringLiteral("試験の実施中"));

    keeper.hold();
    keeper.release();
    QTRY_COMPARE(portal_->closed, 1);
    keeper.release();
    settle();
    QCOMPARE(portal_->calls.size(), size_t(1));
    QCOMPARE(portal_->closed, 1);
}

void TestScreenKeeper::portalWhenSaverRefuses()
{
    saver_->refuse = true;
    offerSaver();
    offerPortal();
    ScreenKeeper keeper;
    keeper.hold();
    QTRY_COMPARE(portal_->calls.size(), size_t(1));
    keeper.release();
    QTRY_COMPARE(portal_->closed, 1);
    QCOMPARE(saver_->count(QStringLiteral("UnInhibit")), 0);
}

void TestScreenKeeper::hungSaverNeverHoldsUpTheClock()
{
    saver_->hang = true;
    offerSaver();
    offerPortal();
    ScreenKeeper keeper(QDBusConnection::sessionBus(), 400);

    int ticks = 0;
    QTimer clock;
    connect(&clock, &QTimer::timeout, [&ticks] { ++ticks; });
    clock.start(50);

    QElapsedTimer took;
    took.start();
    keeper.hold();
    QVERIFY(took.elapsed() < 100);
    QTRY_COMPARE(portal_->calls.size(), size_t(1));
    QVERIFY(took.elapsed() >= 400);
    QVERIFY(ticks >= 5); // the clock went on while the saver said nothing
}

void TestScreenKeeper::silentWithoutAnyService()
{
    ScreenKeeper keeper;
    keeper.follow(RunState::Running);
    settle(); // every service has said it is not there
    keeper.follow(RunState::Idle);

    // A desktop that appears later is asked at the next run.
    offerSaver();
    keeper.follow(RunState::Running);
    QTRY_COMPARE(saver_->count(QStringLiteral("Inhibit")), 1);
}

void TestScreenKeeper::silentWithoutSessionBus()
{
    // Nothing to ask, and nothing breaks.
    ScreenKeeper keeper(QDBusConnection(QStringLiteral("no such bus")), 400);
    keeper.hold();
    keeper.release();
    keeper.release();
}

void TestScreenKeeper::windowRunsDriveTheKeeper()
{
    offerSaver();
    testing::WindowRig rig;
    Form1 &form = rig.form;
    ScreenKeeper keeper;
    connect(&form, &Form1::runStateChanged, &keeper, &ScreenKeeper::follow);

    testing::control<QPushButton>(form, "Command1")->click(); // start
    QTRY_COMPARE(saver_->count(QStringLiteral("Inhibit")), 1);
    testing::control<QPushButton>(form, "Command2")->click(); // pause
    settle();
    QCOMPARE(saver_->calls.size(), size_t(1));
    testing::control<QPushButton>(form, "Command1")->click(); // reset
    QCOMPARE(rig.engine.runState(), RunState::Idle);
    QTRY_COMPARE(saver_->count(QStringLiteral("UnInhibit")), 1);
    QCOMPARE(saver_->calls.back().args.at(0).toUInt(), saver_->nextCookie);
}

int main(int argc, char *argv[])
{
    // Run on a private session bus so that the stand-ins can take the
    // desktop's names and a real desktop never sees the test.
    if (!qEnvironmentVariableIsSet(kPrivateBusMark) && argc > 0) {
        qputenv(kPrivateBusMark, "1");
        static char config[] = "--config-file=" TAVRIN_BUS_CONFIG;
        std::vector<char *> args{const_cast<char *>("dbus-run-session"), config, const_cast<char *>("--")};
        args.insert(args.end(), argv, argv + argc);
        args.push_back(nullptr);
        execvp("dbus-run-session", args.data());
        qunsetenv(kPrivateBusMark); // not installed: initTestCase skips
    }
    QApplication app(argc, argv);
    TestScreenKeeper test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_screen_keeper.moc"
