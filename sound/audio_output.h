#pragma once

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
class AudioOutput {
public:
    enum class Report { Opened, Failed, Closed };
    // Called on the output's thread.
    using Listener = std::function<void(Report, const QString &error)>;

    AudioOutput(CueMixer &mixer, int rate, int periodFrames, Listener listener);
    // Closes the device and waits for the thread (if stop() did not).
    ~AudioOutput();
    AudioOutput(const AudioOutput &) = delete;
    AudioOutput &operator=(const AudioOutput &) = delete;

    void request(bool open);

    // Closes the device and waits for the thread, at most grace. False when
    // the thread is still held in the sound server (one that hangs): it is
    // then let go, and this object and the mixer must outlive it, as they
    // are what it works on; whenDone is called on that thread if it ever
    // ends.
    bool stop(std::chrono::milliseconds grace, std::function<void()> whenDone);

private:
    void run();

    CueMixer &mixer_;
    const int rate_;
    const int periodFrames_;
    const Listener listener_;

    std::mutex mutex_;
    std::condition_variable wake_;
    bool want_ = false;
    std::uint64_t serial_ = 0; // counts request(true)
    bool quit_ = false;
    bool finished_ = false;
    std::function<void()> whenDone_;
    std::condition_variable ended_;
    std::thread thread_;
};

} // namespace tavrin
