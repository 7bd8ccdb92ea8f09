#pragma once

// Drives the real program in a real X window (the test command starts Xvfb).
// What it plays is recorded with tavrin::probe::Recorder on sinkMonitor().

#include <QByteArray>
#include <QImage>
#include <QPoint>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <functional>
#include <vector>

namespace e2e {

// Runs an external tool to completion and returns its standard output.
QByteArray run(const QString &program, const QStringList &args, int timeoutMs = 10000, int *exitCode = nullptr);

// Why the real-window tests cannot run here, or empty when they can.
QString missingDisplay();
// Why the real-sound checks cannot run here, or empty when they can.
QString missingSound();

class Program {
public:
    explicit Program(const QString &workDir);
    ~Program();
    // Before start: the program's arguments, a variable of its environment,
    // and a command to run it under (for example faketime and its offset).
    void setArguments(const QStringList &args) { args_ = args; }
    void setEnv(const QString &name, const QString &value) { env_.insert(name, value); }
    void setWrapper(const QStringList &wrapper) { wrapper_ = wrapper; }
    // What the program writes to its standard error goes to this file.
    void setErrorFile(const QString &file) { errorFile_ = file; }
    bool start();           // waits until the window is mapped and painted
    bool launch();          // does not wait for any window
    // The id of a visible window of the program whose name matches, once
    // there is one; empty after timeoutMs. Becomes windowId() when it is
    // the main window.
    QString waitForWindow(const QString &name, int timeoutMs = 15000);
    void place(int x, int y, int width, int height) const; // on the screen
    QString windowId() const { return windowId_; }
    // A key to the given window (a dialog, say) after giving it the focus:
    // press and release both reach it even when the press closes it.
    void keyTo(const QString &window, const QString &keysym) const;
    void moveTo(int x, int y) const;
    QString caption() const;
    QImage shot() const;    // the window's inner area
    void click(int x, int y) const;
    void click(QPoint p) const { click(p.x(), p.y()); }
    void key(const QString &keysym) const;
    // A key through the keyboard itself, after giving the window the focus:
    // what a shortcut needs (key() sends to the window, past the shortcuts).
    void press(const QString &keysym) const;
    void type(const QString &text) const;
    bool waitForExit(int timeoutMs);
    bool running() const;
    // Polls screenshots until pred holds or the time is up.
    bool waitFor(const std::function<bool(const QImage &)> &pred, int timeoutMs) const;
    // Until the window shows more than its background.
    bool waitForPaint(int timeoutMs = 5000) const;
    QProcess &process() { return proc_; }

private:
    QString workDir_;
    QStringList args_;
    QStringList wrapper_;
    QProcessEnvironment env_;
    QString errorFile_;
    QProcess proc_;
    QString windowId_;
};

// An X server of its own with the given screens ("1920x1080", one X screen
// each, as two monitors that Qt sees as two QScreens), on a free display
// number, white where no window covers it. Made this process's DISPLAY while
// it runs, so the program and the tools use it; stopped by the destructor.
class Xvfb {
public:
    explicit Xvfb(const QStringList &screens);
    ~Xvfb();
    Xvfb(const Xvfb &) = delete;
    Xvfb &operator=(const Xvfb &) = delete;
    // Empty when it runs, otherwise why not.
    QString error() const { return error_; }
    QString display() const { return display_; }
    // The whole of X screen n.
    QImage screenShot(int n) const;

private:
    QProcess proc_;
    QString display_;
    QString error_;
    QByteArray oldDisplay_;
};

struct Burst {
    double start = 0;    // seconds from the start of the recording
    double length = 0;   // seconds
    double peak = 0;     // 0..1
};
// Stretches of sound louder than 1 % of full scale, separated by at least
// minGap seconds of silence.
std::vector<Burst> bursts(const std::vector<qint16> &samples, double minGap = 0.15);

// The monitor of the sink the program plays into (PULSE_SINK, or the default).
QString sinkMonitor();

// Writes a settings file by hand, CR LF after each line.
void writeSettings(const QString &dir, const QStringList &lines);
// Copies the shipped cue files into dir.
void copyCues(const QString &dir);

bool near(const QColor &a, const QColor &b, int tolerance = 24);

// The whole screen at one instant, for comparing windows side by side.
QImage screen();
// Closes every message box of the programs (their title is "Tavrin").
void closeNotices();
// Sends a key to the window whose title is exactly title; false if none.
bool keyToWindow(const QString &title, const QString &keysym);

// A TCP port on 127.0.0.1 that nothing listens on now.
int freeLoopbackPort();

// A private MQTT broker (mosquitto) on a free loopback port, stopped and
// started again on the same port as an operator would.
class Broker {
public:
    Broker();
    ~Broker();
    // Before start: nobody logs in without a password, and each user may
    // do only what the access list grants (the files as mosquitto reads
    // them); the log logs in as logUser.
    void lockDown(const QByteArray &passwords, const QByteArray &acl, const QString &logUser, const QString &logPassword);
    // Before start: a site's broker, bridged to main's for everything under
    // tavrin/ both ways (MQTT 5, so the clock's correlation data crosses).
    void bridgeTo(const Broker &main) { bridge_ = main.port(); }
    QString start(); // empty on success
    void stop();     // SIGTERM, and waits
    QStringList logLogin() const { return logLogin_; } // mosquitto_sub's arguments
    QString address() const { return QStringLiteral("127.0.0.1:%1").arg(port_); }
    int port() const { return port_; }

private:
    QTemporaryDir dir_;
    QProcess proc_;
    int port_ = 0;
    QByteArray locked_;
    QStringList logLogin_;
    int bridge_ = 0;
};

// What is published under a topic filter, live (retained messages left
// out), each with the test's wall-clock time of arrival in seconds.
class BrokerLog {
public:
    struct Entry {
        double at = 0;
        QString topic;
        QByteArray payload;
    };
    ~BrokerLog();
    QString start(const Broker &broker, const QString &filter); // again after a broker restart
    const std::vector<Entry> &entries(); // everything read so far
    // Waits until pred holds for an entry that came at or after since.
    bool waitFor(const std::function<bool(const Entry &)> &pred, int timeoutMs, double since = 0);

private:
    void read();
    QProcess proc_;
    QByteArray partial_;
    bool subscribed_ = false;
    std::vector<Entry> entries_;
};

// The test's wall clock in seconds, as the broker log times its entries.
double wallSeconds();

} // namespace e2e
