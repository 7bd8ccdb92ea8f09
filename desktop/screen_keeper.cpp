#include "screen_keeper.h"

#include "texts.h"

#include <QCoreApplication>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusError>
#include <QLoggingCategory>
#include <QVariantMap>

namespace tavrin {

namespace {
Q_LOGGING_CATEGORY(lcKeeper, "tavrin.desktop", QtWarningMsg)

const QString kSaverService = QStringLiteral("org.freedesktop.ScreenSaver");
const QString kSaverInterface = QStringLiteral("org.freedesktop.ScreenSaver");
const QString kPortalService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString kPortalPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString kPortalInterface = QStringLiteral("org.freedesktop.portal.Inhibit");
const QString kRequestInterface = QStringLiteral("org.freedesktop.portal.Request");

constexpr uint kPortalSuspend = 4;
constexpr uint kPortalIdle = 8;
constexpr int kDefaultTimeoutMs = 5000;

QString saverPath(bool shortPath)
{
    // Older desktops publish the interface only at the short path.
    return shortPath ? QStringLiteral("/ScreenSaver") : QStringLiteral("/org/freedesktop/ScreenSaver");
}

QString applicationName()
{
    const QString name = QCoreApplication::applicationName();
    return name.isEmpty() ? QStringLiteral("Tavrin") : name;
}
} // namespace

ScreenKeeper::ScreenKeeper(QObject *parent) : ScreenKeeper(QDBusConnection::sessionBus(), kDefaultTimeoutMs, parent) {}

ScreenKeeper::ScreenKeeper(const QDBusConnection &bus, int timeoutMs, QObject *parent)
    : QObject(parent), bus_(bus), timeoutMs_(timeoutMs)
{
}

ScreenKeeper::~ScreenKeeper()
{
    // A request still on its way dies with us; the desktop forgets it when
    // the program's bus connection closes.
    release();
}

void ScreenKeeper::follow(RunState state)
{
    switch (state) {
    case RunState::Running:
        hold();
        break;
    case RunState::Idle:
        release();
        break;
    case RunState::Paused:
    case RunState::Finished:
        break;
    }
}

void ScreenKeeper::hold()
{
    wanted_ = true;
    if (active() || busy_ || !bus_.isConnected())
        return;
    tryFrom(Via::ScreenSaver);
}

void ScreenKeeper::release()
{
    wanted_ = false;
    if (!active())
        return;
    drop();
}

void ScreenKeeper::tryFrom(Via via)
{
    QDBusMessage call;
    if (via == Via::Portal) {
        call = QDBusMessage::createMethodCall(kPortalService, kPortalPath, kPortalInterface, QStringLiteral("Inhibit"));
        QVariantMap options;
        options.insert(QStringLiteral("reason"), texts::str(texts::screenKeeperReason));
        call << QString() << uint(kPortalIdle | kPortalSuspend) << options;
    } else {
        call = QDBusMessage::createMethodCall(kSaverService, saverPath(via == Via::ScreenSaverShortPath), kSaverInterface,
                                              QStringLiteral("Inhibit"));
        call << applicationName() << texts::str(texts::screenKeeperReason);
    }
    busy_ = true;
    auto *watcher = new QDBusPendingCallWatcher(bus_.asyncCall(call, timeoutMs_), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, via](QDBusPendingCallWatcher *w) {
        w->deleteLater();
        answered(via, w->reply());
    });
}

void ScreenKeeper::answered(Via via, const QDBusMessage &reply)
{
    busy_ = false;
    const QVariantList args = reply.arguments();
    bool granted = false;
    if (reply.type() == QDBusMessage::ReplyMessage && args.size() == 1) {
        if (via == Via::Portal && args.front().metaType() == QMetaType::fromType<QDBusObjectPath>()) {
            request_ = args.front().value<QDBusObjectPath>();
            granted = true;
        } else if (via != Via::Portal && args.front().metaType() == QMetaType::fromType<uint>()) {
            cookie_ = args.front().toUInt();
            granted = true;
        }
    }

    if (granted) {
        held_ = via;
        if (!wanted_)
            drop(); // the run was reset while the desktop was answering
        return;
    }

    qCDebug(lcKeeper) << "screen inhibition refused:" << reply.errorName() << reply.errorMessage();
    if (!wanted_)
        return;
    const bool noSaver = reply.errorName() == QDBusError::errorString(QDBusError::ServiceUnknown);
    switch (via) {
    case Via::ScreenSaver:
        tryFrom(noSaver ? Via::Portal : Via::ScreenSaverShortPath);
        break;
    case Via::ScreenSaverShortPath:
        tryFrom(Via::Portal);
        break;
    case Via::Portal:
    case Via::None:
        break; // nothing on this desktop keeps the screen on; the run goes on
    }
}

void ScreenKeeper::drop()
{
    QDBusMessage call;
    if (held_ == Via::Portal) {
        call = QDBusMessage::createMethodCall(kPortalService, request_.path(), kRequestInterface, QStringLiteral("Close"));
    } else {
        call = QDBusMessage::createMethodCall(kSaverService, saverPath(held_ == Via::ScreenSaverShortPath),
                                              kSaverInterface, QStringLiteral("UnInhibit"));
        call << cookie_;
    }
    // No answer is awaited: there is nothing to do if the desktop refuses.
    bus_.send(call);
    held_ = Via::None;
    cookie_ = 0;
    request_ = QDBusObjectPath();
}

} // namespace tavrin
