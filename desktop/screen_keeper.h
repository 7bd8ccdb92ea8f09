#pragma once

#include "engine.h"

#include <QDBusConnection>
#include <QDBusObjectPath>
#include <QObject>
#include <QString>

namespace tavrin {

// Keeps the room's screen on while an examination runs: asks the desktop not
// to blank the screen or suspend, through org.freedesktop.ScreenSaver or,
// where that is missing or refuses, the Inhibit portal. Every call is
// asynchronous, so a slow or hung desktop service never holds up the clock.
// Where no service answers (or there is no session bus) it stays silent.
class ScreenKeeper : public QObject {
    Q_OBJECT
public:
    explicit ScreenKeeper(QObject *parent = nullptr);
    // On a given bus, with the given patience (ms) with each service.
    ScreenKeeper(const QDBusConnection &bus, int timeoutMs, QObject *parent = nullptr);
    ~ScreenKeeper() override;

    // Ask for the screen to stay on; a second hold keeps the one inhibition.
    void hold();
    // Give the inhibition back; harmless when there is none.
    void release();

    // A run starting holds, a reset releases; a pause or the end of the
    // questions keeps the screen on until the operator resets.
    void follow(tavrin::RunState state);

private:
    enum class Via { None, ScreenSaver, ScreenSaverShortPath, Portal };
    // The desktop has granted the inhibition and it is still held.
    bool active() const { return held_ != Via::None; }
    void tryFrom(Via via);
    void answered(Via via, const QDBusMessage &reply);
    void drop();

    QDBusConnection bus_;
    int timeoutMs_;
    bool wanted_ = false;
    bool busy_ = false; // a request is on its way and its answer has not come yet
    Via held_ = Via::None;
    uint cookie_ = 0;
    QDBusObjectPath request_;
};

} // namespace tavrin
