#include "audio_output.h"

#include "cue_mixer.h"

#include <SDL.h>

#include <chrono>
#include <cstring>

#include <pthread.h>
#include <sched.h>

namespace tavrin {

namespace {

// A mixing thread that waits behind other work leaves a gap in the cue. Where
// the system grants real-time scheduling (to root, or with an RLIMIT_RTPRIO
// allowance) the thread takes it on its first run, just below the sound
// server's own threads; elsewhere it keeps the raised priority it was given.
void raiseThisThread()
{
    thread_local bool tried = false;
    if (tried)
        return;
    tried = true;
    sched_param param{};
    param.sched_priority = 4;
    pthread_setschedparam(pthread_self(), SCHED_RR | SCHED_RESET_ON_FORK, &param);
}

} // namespace

void AudioOutput::renderPeriod(void *output, std::uint8_t *stream, int bytes)
{
    raiseThisThread();
    auto *self = static_cast<AudioOutput *>(output);
    bool woke = false;
    {
        std::unique_lock lock(self->idleMutex_);
        if (self->idle_ && !self->closing_) {
            lock.unlock();
            self->listener_(Report::Idle, {});
            lock.lock();
            self->idleWake_.wait(lock, [self] { return !self->idle_ || self->closing_; });
            woke = true;
        }
    }
    // The stream ran dry while idle, and starts again with this period.
    if (woke)
        self->mixer_.restartClock();
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    self->mixer_.render(reinterpret_cast<std::int16_t *>(stream), bytes / int(sizeof(std::int16_t)),
                        std::chrono::duration_cast<std::chrono::nanoseconds>(now).count());
}

// The audio subsystem is started with each open and stopped with each
// close: a sound server that went away and came back is then met afresh.
// Only audio is started, not SDL's events with it: those connect to the
// session's D-Bus first, and where there is no session bus (a kiosk, a
// service) libdbus forks to autolaunch one; in a threaded process that
// child can hang before it runs anything, and the open with it, for good.
std::uint32_t AudioOutput::openDevice(QString &error)
{
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    SDL_SetHint(SDL_HINT_AUDIO_DEVICE_APP_NAME, "Tavrin");
    SDL_SetHint(SDL_HINT_AUDIO_DEVICE_STREAM_NAME, "Cues");
    if (SDL_AudioInit(nullptr) != 0) {
        error = QString::fromUtf8(SDL_GetError());
        return 0;
    }
    SDL_AudioSpec want{};
    want.freq = rate_;
    want.format = AUDIO_S16SYS;
    want.channels = 1;
    want.samples = Uint16(periodFrames_);
    want.callback = &AudioOutput::renderPeriod;
    want.userdata = this;
    // No changes allowed: the device converts, so the sounds keep one format.
    const SDL_AudioDeviceID device = SDL_OpenAudioDevice(nullptr, 0, &want, nullptr, 0);
    if (device == 0) {
        error = QString::fromUtf8(SDL_GetError());
        SDL_AudioQuit();
        return 0;
    }
    mixer_.restartClock(); // the device starts paused
    SDL_PauseAudioDevice(device, 0);
    return device;
}

void AudioOutput::closeDevice(std::uint32_t &device)
{
    if (device == 0)
        return;
    // An idle callback holds SDL's lock that the close takes: let it return.
    {
        std::lock_guard lock(idleMutex_);
        closing_ = true;
    }
    idleWake_.notify_all();
    // Waits for the device's thread: no period is rendered after this.
    SDL_CloseAudioDevice(device);
    SDL_AudioQuit();
    device = 0;
    std::lock_guard lock(idleMutex_);
    closing_ = false;
}

void AudioOutput::setIdle(bool idle)
{
    {
        std::lock_guard lock(idleMutex_);
        idle_ = idle;
    }
    idleWake_.notify_all();
}

AudioOutput::AudioOutput(CueMixer &mixer, int rate, int periodFrames, Listener listener, SinkListener sinkListener)
    : mixer_(mixer), rate_(rate), periodFrames_(periodFrames), listener_(std::move(listener)),
      sinkListener_(std::move(sinkListener)), thread_([this] { run(); })
{
}

AudioOutput::~AudioOutput()
{
    if (thread_.joinable())
        stop(std::chrono::milliseconds::max(), {});
}

bool AudioOutput::stop(std::chrono::milliseconds grace, std::function<void()> whenDone)
{
    std::unique_lock lock(mutex_);
    quit_ = true;
    wake_.notify_one();
    const auto finished = [this] { return finished_; };
    if (grace == std::chrono::milliseconds::max())
        ended_.wait(lock, finished);
    else if (!ended_.wait_for(lock, grace, finished)) {
        whenDone_ = std::move(whenDone);
        lock.unlock();
        thread_.detach();
        return false;
    }
    lock.unlock();
    thread_.join();
    return true;
}

void AudioOutput::request(bool open)
{
    {
        std::lock_guard lock(mutex_);
        want_ = open;
        if (open)
            ++serial_;
    }
    wake_.notify_one();
}

// The sink's delay changes when the server moves the stream or the speaker
// changes; it is asked again now and then, never at every cue.
void AudioOutput::askSink(bool opened)
{
    if (!sinkListener_)
        return;
    const auto now = std::chrono::steady_clock::now();
    if (!opened && now - sinkAsked_ < sinkCheckGap)
        return;
    // Asked at the open, before the stream ran, a sink may report nothing
    // yet (a combine sink says 0): asked again at the first check a second on.
    sinkAsked_ = opened ? now - sinkCheckGap + std::chrono::seconds(1) : now;
    const char *driver = SDL_GetCurrentAudioDriver();
    const bool pulse = driver && (std::strcmp(driver, "pulseaudio") == 0 || std::strcmp(driver, "pipewire") == 0);
    sinkListener_(pulse ? querySink("Cues", std::chrono::milliseconds(500)) : SinkReport{});
}

void AudioOutput::run()
{
    std::uint32_t device = 0;
    std::uint64_t handled = 0;
    for (;;) {
        std::unique_lock lock(mutex_);
        wake_.wait(lock, [&] { return quit_ || (!want_ && device != 0) || (want_ && serial_ != handled); });
        if (quit_)
            break;
        const bool want = want_;
        handled = serial_;
        lock.unlock();

        if (!want) {
            closeDevice(device);
            listener_(Report::Closed, {});
            continue;
        }
        // Dropped by the server (it stopped): its thread renders nothing.
        if (device != 0 && SDL_GetAudioDeviceStatus(device) == SDL_AUDIO_STOPPED)
            closeDevice(device);
        if (device != 0) {
            askSink(false);
            continue;
        }
        QString error;
        device = openDevice(error);
        listener_(device != 0 ? Report::Opened : Report::Failed, error);
        if (device != 0)
            askSink(true);
    }
    closeDevice(device);
    // SDL keeps an error buffer for every thread that calls it; this one is
    // not SDL's own, so nothing would free it.
    SDL_TLSCleanup();
    std::function<void()> done;
    {
        std::lock_guard lock(mutex_);
        finished_ = true;
        done = std::move(whenDone_);
    }
    ended_.notify_all();
    if (done)
        done();
}

} // namespace tavrin
