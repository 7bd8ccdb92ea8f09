#pragma once

#include "ports.h"
#include "web_options.h"
#include "web_server.h"

#include <QObject>
#include <QPointer>
#include <QStringList>

class QCommandLineParser;
class QDialog;
class QImage;

namespace tavrin {
class Access;
class Engine;
class FramePort;
class PhaseTimer;
class RoomDisplay;
} // namespace tavrin

namespace tavrin::web {

// The room display for browsers: tells every page the run as it stands after
// each change, with the wall-clock time its last tick was due, and offers
// itself on the window's right-click menu.
class WebView : public QObject, public RunObserver {
    Q_OBJECT
public:
    WebView(Engine &engine, FramePort &frame, const PhaseTimer &clock, const RoomDisplay &room,
            const QString &optionsPath);

    // Starts or stops serving; false when it could not start (the operator
    // is told why). The port is remembered.
    bool setOn(bool on);
    bool isOn() const { return server_.listening(); }
    void setPort(int port) { options_.port = port; }
    void setAddresses(const QStringList &addresses) { options_.addresses = addresses; }

    // The addresses to type, of those served on: this machine's LAN ones,
    // or loopback when it serves on none.
    QStringList addresses() const;
    // "ブラウザに表示" (F10) and the address with its QR code.
    void addActions();
    void showAddress();

    WebServer &server() { return server_; }
    // What a page is sent now.
    QByteArray stateMessage() const;

    void runEvent(const RunEvent &event, const ExamState &state) override;
    // What stands where the question number does before a start at a time
    // of day; empty when nothing is waited for.
    void setCountdown(const QString &caption);
    // The pages draw the dots' marks and the cues' bands as access chooses.
    void setAccess(const Access *access);

signals:
    void onChanged(bool on);

private:
    void publish();

    Engine &engine_;
    FramePort &frame_;
    const PhaseTimer &clock_;
    const RoomDisplay &room_;
    QString optionsPath_;
    WebOptions options_;
    WebServer server_;
    QByteArray lastRun_; // the run part of the last state sent
    QString countdown_;
    const Access *access_ = nullptr;
    QPointer<QDialog> dialog_;
};

// A QR code of text, black on white, with its quiet zone; null if it cannot be made.
QImage qrImage(const QString &text, int modulePixels);

// The browser view on the window's menu and from --web (see
// addCommandLineOptions), told of every change of engine's run; owned by window.
WebView *attach(Engine &engine, FramePort &frame, const PhaseTimer &clock, const RoomDisplay &room, const QString &optionsPath,
                const QCommandLineParser &parser);

} // namespace tavrin::web
