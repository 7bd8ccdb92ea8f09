#pragma once

// Drives the real program in a real X window (the test command starts Xvfb)
// and listens to the PulseAudio null sink it plays into.

#include <QByteArray>
#include <QImage>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryFile>
#include <functional>
#include <memory>
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
    bool start();           // waits until the window is mapped
    QString windowId() const { return windowId_; }
    QString caption() const;
    QImage shot() const;    // the window's inner area
    void click(int x, int y) const;
    void key(const QString &keysym) const;
    void type(const QString &text) const;
    bool waitForExit(int timeoutMs);
    bool running() const;
    // Polls screenshots until pred holds or the time is up.
    bool waitFor(const std::function<bool(const QImage &)> &pred, int timeoutMs) const;
    QProcess &process() { return proc_; }

private:
    QString workDir_;
    QProcess proc_;
    QString windowId_;
};

// Records the null sink's monitor as 16-bit mono samples at 44.1 kHz.
class SinkRecorder {
public:
    bool start();
    std::vector<qint16> stop();
    static constexpr int kRate = 44100;

private:
    QProcess proc_;
    std::unique_ptr<QTemporaryFile> file_;
};

struct Burst {
    double start = 0;    // seconds from the start of the recording
    double length = 0;   // seconds
    double peak = 0;     // 0..1
};
// Stretches of sound separated by at least minGap seconds of silence.
std::vector<Burst> bursts(const std::vector<qint16> &samples, double minGap = 0.15);

// Writes a settings file by hand, CR LF after each line.
void writeSettings(const QString &dir, const QStringList &lines);
// Copies the shipped cue files into dir.
void copyCues(const QString &dir);

bool near(const QColor &a, const QColor &b, int tolerance = 24);

} // namespace e2e
