#include "sound_bank.h"

#include "texts.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTimer>

#include <QDateTime>

#include <SDL.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>

namespace tavrin {

namespace {

// The audio subsystem is one per process: a second bank would close the
// first one's output.
std::atomic<bool> g_outputTaken{false};

// Cue files are short; a file larger than this is certainly not a cue and
// reading it would only stall start-up.
constexpr qint64 maxCueBytes = 32 * 1024 * 1024;
// What such a file may become at the output's rate (8-bit 8 kHz, say).
constexpr std::uint64_t maxConvertedBytes = 256 * 1024 * 1024;

using texts::str;

const char *builtinName(int n)
{
    switch (n) {
    case 1: return texts::defaultCue1;
    case 2: return texts::defaultCue2;
    case 3: return texts::defaultCue3;
    default: return texts::chimeCue;
    }
}

const char *roleName(int n)
{
    switch (n) {
    case 1: return texts::soundRole1;
    case 2: return texts::soundRole2;
    case 3: return texts::soundRole3;
    default: return texts::soundRole4;
    }
}

// The sounds are converted once to the output's own format, which the
// device is opened with (it converts to the hardware's), so they do not
// depend on any device being open.
std::shared_ptr<const Pcm> decode(const QByteArray &bytes)
{
    if (bytes.isEmpty() || bytes.size() > maxCueBytes)
        return nullptr;
    SDL_RWops *rw = SDL_RWFromConstMem(bytes.constData(), static_cast<int>(bytes.size()));
    if (!rw)
        return nullptr;
    SDL_AudioSpec wav{};
    Uint8 *buffer = nullptr;
    Uint32 length = 0;
    if (!SDL_LoadWAV_RW(rw, 1, &wav, &buffer, &length))
        return nullptr;
    std::shared_ptr<Pcm> pcm;
    SDL_AudioCVT cvt{};
    if (SDL_BuildAudioCVT(&cvt, wav.format, wav.channels, wav.freq, AUDIO_S16SYS, 1, SoundBank::sampleRate) >= 0 &&
        std::uint64_t(length) * std::uint64_t(std::max(cvt.len_mult, 1)) <= maxConvertedBytes) {
        std::vector<Uint8> work(std::size_t(length) * std::size_t(std::max(cvt.len_mult, 1)));
        std::memcpy(work.data(), buffer, length);
        cvt.buf = work.data();
        cvt.len = int(length);
        if (SDL_ConvertAudio(&cvt) == 0 && cvt.len_cvt >= int(sizeof(std::int16_t))) {
            pcm = std::make_shared<Pcm>(std::size_t(cvt.len_cvt) / sizeof(std::int16_t));
            std::memcpy(pcm->data(), work.data(), pcm->size() * sizeof(std::int16_t));
        }
    }
    SDL_FreeWAV(buffer);
    return pcm;
}

std::int64_t steadyNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

} // namespace

void SoundBank::Mailbox::post(std::function<void(SoundBank *)> news)
{
    std::lock_guard lock(mutex);
    if (bank)
        QMetaObject::invokeMethod(
            bank, [b = bank, news = std::move(news)] { news(b); }, Qt::QueuedConnection);
}

bool SoundBank::outputInUse()
{
    return g_outputTaken;
}

SoundBank::SoundBank(QObject *parent)
    : QObject(parent),
      mixer_(std::make_unique<CueMixer>(
          sampleRate, [box = mailbox_](const CueMixer::News &news) {
              // On the audio thread: only hand the news over to the bank's thread.
              const qint64 wallMs = QDateTime::currentMSecsSinceEpoch() + (news.atNs - steadyNs()) / 1'000'000;
              box->post([=](SoundBank *b) { b->mixerEvent(news, wallMs); });
          }))
{
    mailbox_->bank = this;
    mixer_->setLatencyNs(std::int64_t(outputLatencyUs) * 1000);
    suspendTimer_.setSingleShot(true);
    suspendTimer_.setInterval(250);
    connect(&suspendTimer_, &QTimer::timeout, this, &SoundBank::suspendNow);
    openWatch_.setSingleShot(true);
    openWatch_.setInterval(openTimeoutMs);
    connect(&openWatch_, &QTimer::timeout, this, [this] {
        if (requested_ && output_ != Output::Open)
            outputReport(AudioOutput::Report::Failed, str(texts::soundServerSilent).arg(openTimeoutMs / 1000));
    });
    bool free = false;
    owner_ = g_outputTaken.compare_exchange_strong(free, true);
    if (owner_)
        device_ = std::make_unique<AudioOutput>(*mixer_, sampleRate, periodFrames,
                                                [box = mailbox_](AudioOutput::Report r, const QString &error) {
                                                    box->post([=](SoundBank *b) { b->outputReport(r, error); });
                                                },
                                                [box = mailbox_](const SinkReport &r) {
                                                    box->post([=](SoundBank *b) { b->sinkReported(r); });
                                                });
}

SoundBank::~SoundBank()
{
    {
        std::lock_guard lock(mailbox_->mutex);
        mailbox_->bank = nullptr; // the last renders' news, still queued, goes with this object
    }
    if (!device_)
        return;
    // Closes the device and stops its thread. A thread held in a sound
    // server that hangs is let go rather than waited for without end (the
    // program could not be closed): it keeps the output and the mixer it
    // works on, and the process's output is free again once it ends.
    if (device_->stop(std::chrono::milliseconds(stopGraceMs), [] { g_outputTaken = false; })) {
        device_.reset();
        g_outputTaken = false;
        return;
    }
    qWarning("the audio output did not stop within %d ms: the sound server does not answer", stopGraceMs);
    struct Abandoned {
        std::unique_ptr<CueMixer> mixer;
        std::unique_ptr<AudioOutput> device;
    };
    // Never freed: the thread may still use them (and they stay reachable).
    static auto *abandoned = new std::vector<Abandoned>;
    abandoned->push_back({std::move(mixer_), std::move(device_)});
}

SoundBank::Player *SoundBank::player(int n)
{
    if (n < 1 || n > static_cast<int>(players_.size()))
        return nullptr;
    return &players_[static_cast<std::size_t>(n - 1)];
}

int SoundBank::cueLengthMs(int n) const
{
    if (n < 1 || n > static_cast<int>(players_.size()))
        return 0;
    const Player &p = players_[static_cast<std::size_t>(n - 1)];
    return p.pcm ? static_cast<int>(std::int64_t(p.pcm->size()) * 1000 / sampleRate) : 0;
}

CueStatus SoundBank::cueStatus(int n) const
{
    if (n < 1 || n > static_cast<int>(players_.size()))
        return {};
    const Player &p = players_[static_cast<std::size_t>(n - 1)];
    if (output_ == Output::Failed && p.state != State::Closed)
        return {CueSource::Silent, p.fileName, str(texts::soundNoOutputReason)};
    return p.status;
}

void SoundBank::setNotify(int n, bool on)
{
    if (Player *p = player(n))
        p->notify = on;
}

void SoundBank::setFileName(int n, const QString &file)
{
    if (Player *p = player(n))
        p->fileName = file;
}

void SoundBank::command(int n, PlayerCommand cmd)
{
    Player *p = player(n);
    if (!p)
        return;
    switch (cmd) {
    case PlayerCommand::Open: open(n, *p); break;
    case PlayerCommand::Play: play(n, *p); break;
    case PlayerCommand::Stop: stop(n, *p); break;
    case PlayerCommand::Prev: rewind(n, *p); break;
    case PlayerCommand::Close: close(n, *p); break;
    }
}

// ---- Output ---------------------------------------------------------------

bool SoundBank::anyOpen() const
{
    for (const Player &p : players_)
        if (p.state != State::Closed)
            return true;
    return false;
}

bool SoundBank::quiet() const
{
    for (const Player &p : players_)
        if (p.state == State::Playing || p.state == State::Paused)
            return false; // when the last play ends
    return true;
}

// Opens the output, or checks that it is still there; tries again after a
// failure.
void SoundBank::askForOutput()
{
    suspendTimer_.stop();
    if (!device_) {
        if (!toldNoOutput_) {
            toldNoOutput_ = true;
            outputError_ = QStringLiteral("another player bank holds the audio output");
            output_ = Output::Failed;
            noOutputToTell_ = true;
            report({});
        }
        return;
    }
    if (output_ != Output::Open)
        output_ = output_ == Output::Failed ? Output::Failed : Output::Opening;
    requested_ = true;
    if (idling_) {
        idling_ = false;
        parked_ = false;
        device_->setIdle(false);
    }
    device_->request(true);
    if (output_ != Output::Open && !openWatch_.isActive())
        openWatch_.start();
}

void SoundBank::updateOutput()
{
    if (!anyOpen()) {
        suspendTimer_.stop();
        if (requested_ && device_)
            device_->request(false);
        requested_ = false;
        return;
    }
    const bool needed = wanted_ || !quiet();
    if (!requested_ || (needed && idling_))
        askForOutput();
    // The end of a play is reported when it has been mixed, not yet heard:
    // its last period is still on its way to the speaker.
    if (!needed && !idling_ && !suspendTimer_.isActive())
        suspendTimer_.start();
}

void SoundBank::suspendNow()
{
    if (wanted_ || !quiet() || !requested_ || idling_ || !device_)
        return;
    idling_ = true;
    device_->setIdle(true);
}

void SoundBank::setOutputWanted(bool wanted)
{
    wanted_ = wanted;
    if (wanted && anyOpen())
        askForOutput(); // also a retry, and a check that it is still there
    else
        updateOutput();
}

void SoundBank::outputReport(AudioOutput::Report r, const QString &error)
{
    if (r == AudioOutput::Report::Opened || r == AudioOutput::Report::Failed)
        openWatch_.stop();
    switch (r) {
    case AudioOutput::Report::Idle:
        parked_ = idling_; // unless woken meanwhile
        break;
    case AudioOutput::Report::Opened:
        output_ = Output::Open;
        toldNoOutput_ = false;
        break;
    case AudioOutput::Report::Closed:
        if (!requested_)
            output_ = Output::Closed;
        parked_ = false;
        break;
    case AudioOutput::Report::Failed:
        output_ = Output::Failed;
        outputError_ = error;
        // What was asked to play while there was no output is not heard,
        // not even late.
        mixer_->haltAll();
        for (Player &p : players_)
            if (p.state == State::Playing || p.state == State::Paused) {
                ++p.play;
                p.state = State::Ready;
            }
        // Once while the output is gone, not at every cue that finds it so.
        if (!toldNoOutput_) {
            toldNoOutput_ = true;
            noOutputToTell_ = true;
            report({});
        }
        break;
    }
}

// ---- The speaker's delay ---------------------------------------------------

void SoundBank::setSpeakerDelayMs(int ms)
{
    ms = std::clamp(ms, -maxSpeakerDelayMs, maxSpeakerDelayMs);
    if (ms == speakerDelayMs_)
        return;
    speakerDelayMs_ = ms;
    updateLatency();
}

void SoundBank::sinkReported(const SinkReport &report)
{
    SinkReport r = report;
    if (r.latencyUs < 0 || r.latencyUs > maxSinkLatencyUs)
        r.known = false;
    // The null sink's delay wanders over its block at every look: only a
    // change of what is counted is news.
    const bool counted = r.known && r.plays, wasCounted = sink_.known && sink_.plays;
    const bool news = r.known != sink_.known || r.name != sink_.name || r.risk != sink_.risk || counted != wasCounted ||
                      (counted && std::abs(r.latencyUs - sink_.latencyUs) >= 1000);
    if (!news)
        return;
    sink_ = r;
    updateLatency();
}

std::int64_t SoundBank::extraLatencyUs() const
{
    return (sink_.known && sink_.plays ? sink_.latencyUs : 0) + std::int64_t(speakerDelayMs_) * 1000;
}

int SoundBank::leadMs() const
{
    return int(std::max<std::int64_t>(0, (extraLatencyUs() + 999) / 1000));
}

void SoundBank::updateLatency()
{
    mixer_->setLatencyNs((std::int64_t(outputLatencyUs) + extraLatencyUs()) * 1000);
    emit speakerChanged();
}

// ---- Commands -------------------------------------------------------------

void SoundBank::open(int n, Player &p)
{
    if (p.state != State::Closed)
        close(n, p);
    p.state = State::Ready;
    p.pcm = load(n, p.fileName);
    updateOutput();
}

std::int64_t SoundBank::startTimeNs() const
{
    if (!dueClock_)
        return CueMixer::asap;
    const qint64 due = dueClock_();
    const qint64 nowWall = QDateTime::currentMSecsSinceEpoch();
    // Only while the tick is being handled (it is handled leadMs() early
    // for a slow speaker); anything else plays at once.
    if (nowWall - due < -leadMs() - 1 || nowWall - due >= 1000)
        return CueMixer::asap;
    // The due time is whole milliseconds, cut down: half a one on average.
    return steadyNs() + (due + cueDelayMs - nowWall) * 1'000'000 + 500'000;
}

void SoundBank::play(int n, Player &p)
{
    if (p.state == State::Closed)
        return;
    // A cue nobody announced (the chime while a run is going) opens the
    // output now and is heard a little late rather than not at all.
    askForOutput();
    if (!p.pcm)
        return;
    const int voice = n - 1;
    if (p.state == State::Paused && mixer_->resume(voice)) {
        p.state = State::Playing;
        return;
    }
    // A play that is still sounding starts again from the beginning.
    ++p.play;
    mixer_->play(voice, p.pcm, p.play, startTimeNs(), steadyNs());
    p.state = State::Playing;
}

void SoundBank::stop(int n, Player &p)
{
    if (p.state == State::Playing && mixer_->pause(n - 1))
        p.state = State::Paused;
}

void SoundBank::rewind(int n, Player &p)
{
    if (p.state != State::Playing && p.state != State::Paused)
        return;
    // Whatever was left of the play is dropped; the next play starts at the
    // beginning of the sound.
    mixer_->halt(n - 1);
    ++p.play;
    p.state = State::Ready;
    updateOutput();
}

void SoundBank::close(int n, Player &p)
{
    if (p.state == State::Closed)
        return;
    mixer_->halt(n - 1);
    ++p.play;
    p.pcm.reset();
    p.state = State::Closed;
    p.status.source = CueSource::NotOpen;
    updateOutput();
}

std::shared_ptr<const Pcm> SoundBank::load(int n, const QString &fileName)
{
    QString path = fileName;
    QFileInfo info(path);
    // Settings written on Windows may name a file below the working
    // directory with backslashes.
    if (!info.exists() && path.contains(u'\\')) {
        const QFileInfo slashed(QString(path).replace(u'\\', u'/'));
        if (slashed.exists()) {
            path = slashed.filePath();
            info = slashed;
        }
    }

    Player &p = players_[static_cast<std::size_t>(n - 1)];
    // An emptied line in the settings file means "no sound for this cue".
    if (fileName.isEmpty()) {
        p.status = {CueSource::Silent, fileName, str(texts::soundNoName)};
        return nullptr;
    }
    QString problem;
    std::shared_ptr<const Pcm> chunk;
    if (!info.exists()) {
        problem = str(texts::soundMissing);
    } else if (!info.isFile()) {
        problem = str(texts::soundNotAFile);
    } else if (info.size() > maxCueBytes) {
        problem = str(texts::soundTooLarge);
    } else {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) {
            problem = str(texts::soundUnreadable);
        } else {
            const QByteArray bytes = file.readAll();
            if (file.error() != QFileDevice::NoError)
                problem = str(texts::soundUnreadable);
            else if (!(chunk = decode(bytes)))
                problem = str(texts::soundUndecodable);
        }
    }
    if (chunk) {
        p.status = {CueSource::OwnFile, fileName, {}};
        return chunk;
    }

    QFile builtin(QStringLiteral(":/tavrin/cues/") + QLatin1String(builtinName(n)));
    if (builtin.open(QIODevice::ReadOnly))
        chunk = decode(builtin.readAll());
    p.status = {chunk ? CueSource::BuiltIn : CueSource::Silent, fileName, problem};
    if (!chunk)
        problem = str(texts::soundBuiltinAlsoFailed).arg(problem);

    const QString shown = QDir::toNativeSeparators(info.absoluteFilePath());
    if (!toldFiles_.contains(shown)) {
        toldFiles_.insert(shown);
        report(str(texts::soundFallbackItem).arg(shown, str(roleName(n)), problem));
    }
    return chunk;
}

// ---- Completion -----------------------------------------------------------

void SoundBank::mixerEvent(const CueMixer::News &news, qint64 wallMs)
{
    const int n = news.voice + 1;
    Player *p = player(n);
    if (!p || p->state == State::Closed || news.play != p->play)
        return;
    if (news.event == CueMixer::Event::Started) {
        emit cueStarted(n, wallMs);
        if (news.lateNs > qint64(lateCueMs) * 1'000'000) {
            emit cueLate(n, news.lateNs / 1'000'000);
            tellMissedCue();
        }
        return;
    }
    // Dropped because the output came too late for it: never heard.
    if (news.event == CueMixer::Event::Dropped) {
        emit cueDropped(n);
        tellMissedCue();
    }
    if (p->state == State::Playing)
        p->state = State::Ready;
    if (p->notify)
        emit done(n);
    updateOutput();
}

// ---- Telling the operator -------------------------------------------------

void SoundBank::tellMissedCue()
{
    // Once: the record lists every such cue.
    if (toldMissedCue_)
        return;
    toldMissedCue_ = missedCueToTell_ = true;
    report({});
}

void SoundBank::report(const QString &line)
{
    if (!line.isEmpty())
        problemsToTell_ << line;
    if (!flushQueued_) {
        flushQueued_ = true;
        // The start-up opens all four players in a row: gather what they
        // found into one message.
        QTimer::singleShot(0, this, &SoundBank::flushReports);
    }
}

void SoundBank::flushReports()
{
    flushQueued_ = false;
    if (noOutputToTell_) {
        noOutputToTell_ = false;
        emit notice(str(texts::soundNoOutput).arg(outputError_));
    }
    if (missedCueToTell_) {
        missedCueToTell_ = false;
        emit notice(str(texts::soundCueMissed));
    }
    if (!problemsToTell_.isEmpty()) {
        QStringList lines;
        lines << str(texts::soundFallbackHead) << problemsToTell_ << str(texts::soundFallbackFoot);
        problemsToTell_.clear();
        emit notice(lines.join(u'\n'));
    }
}

} // namespace tavrin
