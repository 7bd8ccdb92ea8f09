#pragma once

#include "sink_report.h"

#include <QString>

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>

namespace tavrin {

class CueMixer;

// The audio device, opened and closed on a thread of its own: opening waits
// for the sound server, closing for the device's thread, and neither may
// hold up the thread that runs the clock. The caller only says what it
// wants; request() never waits for the device.
//
// Each request(true) is also a check: a device that the server dropped
// (it stopped or restarted) is closed and opened again, and an open that
// failed is tried once more. Between requests nothing is retried.
//
// An open device may be let idle between cues: its thread then waits for
// the next wake instead of rendering silence, so neither it nor the sound
// server's stream does any work, while the stream stays connected and the
// sound server configured for it. Woken, it plays from the next period on.
class AudioOutput {
public:
    // Idle: the device's thread has stopped rendering (after setIdle(true)).
    enum class Report { Opened, Failed, Closed, Idle };
    // Called on the output's thread.
    using Listener = std::function<void(Report, const QString &error)>;
    // What the sound server says of the sink, on the output's thread: after
    // each open, and on a check at most every sinkCheckGap.
    using SinkListener = std::function<void(const SinkReport &)>;
    static constexpr std::chrono::seconds sinkCheckGap{10};

    AudioOutput(CueMixer &mixer, int rate, int periodFrames, Listener listener, SinkListener sinkListener = {});
    // Closes the device and waits for the thread (if stop() did not).
    ~AudioOutput();
    AudioOutput(const AudioOutput &) = delete;
    AudioOutput &operator=(const AudioOutput &) = delete;

    void request(bool open);
    // Takes effect at the device's next period; a device opened later
    // starts as it says.
    void setIdle(bool idle);

    // Closes the device and waits for the thread, at most grace. False when
    // the thread is still held in the sound server (one that hangs): it is
    // then let go, and this object and the mixer must outlive it, as they
    // are what it works on; whenDone is called on that thread if it ever
    // ends.
    bool stop(std::chrono::milliseconds grace, std::function<void()> whenDone);

private:
    // The device's callback, on the device's thread.
    static void renderPeriod(void *output, std::uint8_t *stream, int bytes);
    void run();
    std::uint32_t openDevice(QString &error);
    void closeDevice(std::uint32_t &device);
    void askSink(bool opened);

    CueMixer &mixer_;
    const int rate_;
    const int periodFrames_;
    const Listener listener_;
    const SinkListener sinkListener_;
    std::chrono::steady_clock::time_point sinkAsked_{};

    std::mutex mutex_;
    std::condition_variable wake_;
    bool want_ = false;
    std::uint64_t serial_ = 0; // counts request(true)
    bool quit_ = false;
    bool finished_ = false;
    std::function<void()> whenDone_;
    std::condition_variable ended_;
    // Between setIdle() and the device's thread, which waits on idleWake_.
    std::mutex idleMutex_;
    std::condition_variable idleWake_;
    bool idle_ = false;
    bool closing_ = false; // a close needs the device's thread to return
    std::thread thread_;
};

} // namespace tavrin
