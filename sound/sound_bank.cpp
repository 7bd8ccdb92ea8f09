#include "sound_bank.h"

#include "texts.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTimer>

#include <SDL.h>
#include <SDL_mixer.h>

#include <atomic>

#include <pthread.h>
#include <sched.h>

namespace tavrin {

namespace {

// The bank the mixer's completion callback reports to. The mixer has one
// callback for the whole process, with no user data.
std::atomic<SoundBank *> g_bank{nullptr};

// Cue files are short; a file larger than this is certainly not a cue and
// reading it would only stall start-up.
constexpr qint64 maxCueBytes = 32 * 1024 * 1024;

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

const char16_t *roleName(int n)
{
    switch (n) {
    case 1: return texts::soundRole1;
    case 2: return texts::soundRole2;
    case 3: return texts::soundRole3;
    default: return texts::soundRole4;
    }
}

Mix_Chunk *decode(const QByteArray &bytes)
{
    if (bytes.isEmpty() || bytes.size() > maxCueBytes)
        return nullptr;
    SDL_RWops *rw = SDL_RWFromConstMem(bytes.constData(), static_cast<int>(bytes.size()));
    if (!rw)
        return nullptr;
    // The mixer converts the samples into a buffer of its own, so the bytes
    // need not outlive the call.
    return Mix_LoadWAV_RW(rw, 1);
}

// A mixing thread that waits behind other work leaves a gap in the cue. Where
// the system grants real-time scheduling (to root, or with an RLIMIT_RTPRIO
// allowance) the thread takes it on its first run, just below the sound
// server's own threads; elsewhere it keeps the raised priority it was given.
void SDLCALL raiseMixingThread(void *, Uint8 *, int)
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

SoundBank::SoundBank(QObject *parent) : QObject(parent)
{
    suspendTimer_.setSingleShot(true);
    suspendTimer_.setInterval(250);
    connect(&suspendTimer_, &QTimer::timeout, this, &SoundBank::suspendNow);
}

SoundBank::~SoundBank()
{
    for (std::size_t i = 0; i < players_.size(); ++i) {
        Player &p = players_[i];
        if (p.state != State::Closed)
            close(static_cast<int>(i) + 1, p);
    }
    closeOutput();
}

SoundBank::Player *SoundBank::player(int n)
{
    if (n < 1 || n > static_cast<int>(players_.size()))
        return nullptr;
    return &players_[static_cast<std::size_t>(n - 1)];
}

CueStatus SoundBank::cueStatus(int n) const
{
    if (n < 1 || n > static_cast<int>(players_.size()))
        return {};
    return players_[static_cast<std::size_t>(n - 1)].status;
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

bool SoundBank::openOutput()
{
    if (output_ == Output::Open)
        return true;
    if (output_ == Output::Suspended || (output_ == Output::Failed && g_bank.load() == this)) {
        finishClosing();
        if (openDevice()) {
            reloadChunks();
            return true;
        }
        // The device went away while closed: the players keep their state
        // and stay silent until an open succeeds again.
        output_ = Output::Failed;
    } else {
        SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
        SDL_SetHint(SDL_HINT_AUDIO_DEVICE_APP_NAME, "Tavrin");
        SDL_SetHint(SDL_HINT_AUDIO_DEVICE_STREAM_NAME, "Cues");

        SoundBank *none = nullptr;
        if (!g_bank.compare_exchange_strong(none, this)) {
            // The mixer is one per process; a second bank would take the
            // first one's completions.
            outputError_ = QStringLiteral("another player bank holds the audio output");
        } else if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
            outputError_ = QString::fromUtf8(SDL_GetError());
            g_bank = nullptr;
        } else if (!openDevice()) {
            SDL_QuitSubSystem(SDL_INIT_AUDIO);
            g_bank = nullptr;
        } else {
            reloadChunks();
            return true;
        }
        output_ = Output::Failed;
    }
    // Once while the output is gone, not at every cue that finds it so.
    if (toldNoOutput_)
        return false;
    toldNoOutput_ = true;
    noOutputToTell_ = true;
    if (!flushQueued_) {
        flushQueued_ = true;
        QTimer::singleShot(0, this, &SoundBank::flushReports);
    }
    return false;
}

bool SoundBank::openDevice()
{
    if (Mix_OpenAudioDevice(sampleRate, AUDIO_S16SYS, 1, periodFrames, nullptr, 0) != 0) {
        outputError_ = QString::fromUtf8(Mix_GetError());
        return false;
    }
    Mix_AllocateChannels(static_cast<int>(players_.size()));
    Mix_ChannelFinished(&SoundBank::finishedOnAudioThread);
    Mix_SetPostMix(&raiseMixingThread, nullptr);
    output_ = Output::Open;
    toldNoOutput_ = false;
    return true;
}

void SoundBank::reloadChunks()
{
    // A player opened while there was no output has no sound yet; the mixer
    // decodes only while it is open.
    for (std::size_t i = 0; i < players_.size(); ++i) {
        Player &p = players_[i];
        if (p.state != State::Closed && !p.chunk)
            p.chunk = load(static_cast<int>(i) + 1, p.fileName);
    }
}

void SoundBank::closeOutput()
{
    finishClosing();
    if (output_ == Output::Open) {
        // Taking the callback away waits for a running mix to finish, so no
        // completion can reach this bank afterwards.
        Mix_ChannelFinished(nullptr);
        Mix_CloseAudio();
    }
    if (output_ == Output::Open || output_ == Output::Suspended || g_bank.load() == this) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        g_bank = nullptr;
        output_ = Output::Untried;
    }
}

void SoundBank::setOutputWanted(bool wanted)
{
    wanted_ = wanted;
    if (wanted) {
        // A failed open is tried again before each cue.
        if (output_ == Output::Suspended || output_ == Output::Failed)
            openOutput();
        return;
    }
    suspendWhenQuiet();
}

bool SoundBank::quiet() const
{
    if (wanted_ || output_ != Output::Open)
        return false;
    for (const Player &p : players_)
        if (p.state == State::Playing || p.state == State::Paused)
            return false; // when the last play ends
    return true;
}

void SoundBank::suspendWhenQuiet()
{
    // The end of a play is reported when it has been mixed, not yet heard:
    // its last period is still on its way to the speaker.
    if (quiet() && !suspendTimer_.isActive())
        suspendTimer_.start();
}

void SoundBank::suspendNow()
{
    if (!quiet())
        return;
    Mix_ChannelFinished(nullptr);
    output_ = Output::Suspended;
    closing_ = std::thread([] { Mix_CloseAudio(); });
}

void SoundBank::finishClosing()
{
    if (closing_.joinable())
        closing_.join();
}

// ---- Commands -------------------------------------------------------------

void SoundBank::open(int n, Player &p)
{
    if (p.state != State::Closed)
        close(n, p);
    p.state = State::Ready;
    p.cutShort = false;
    p.status = {CueSource::Silent, p.fileName, str(texts::soundNoOutputReason)};
    // Opening the output may have loaded this player's sound already.
    if (openOutput() && !p.chunk)
        p.chunk = load(n, p.fileName);
}

void SoundBank::play(int n, Player &p)
{
    if (p.state == State::Closed)
        return;
    // A cue nobody announced (the chime while a run is going): open now and
    // play it a few milliseconds late rather than not at all.
    if (output_ != Output::Open && !openOutput())
        return;
    if (!p.chunk)
        return;
    const int channel = n - 1;
    if (p.state == State::Paused && Mix_Playing(channel)) {
        Mix_Resume(channel);
        p.state = State::Playing;
        return;
    }
    // A play that is still sounding starts again from the beginning; the
    // mixer reports the old one as ended, which is not a completion.
    ++p.started;
    p.cutShort = false;
    if (Mix_PlayChannel(channel, p.chunk, 0) < 0) {
        --p.started;
        return;
    }
    p.state = State::Playing;
}

void SoundBank::stop(int n, Player &p)
{
    const int channel = n - 1;
    if (output_ == Output::Open && p.state == State::Playing && p.chunk && Mix_Playing(channel)) {
        Mix_Pause(channel);
        p.state = State::Paused;
    }
}

void SoundBank::rewind(int n, Player &p)
{
    if (p.state != State::Playing && p.state != State::Paused)
        return;
    // Whatever was left of the play is dropped; the next play starts at the
    // beginning of the sound.
    p.cutShort = true;
    if (p.chunk && output_ == Output::Open)
        Mix_HaltChannel(n - 1);
    p.state = State::Ready;
    suspendWhenQuiet();
}

void SoundBank::close(int n, Player &p)
{
    if (p.state == State::Closed)
        return;
    p.cutShort = true;
    finishClosing();
    if (p.chunk) {
        if (output_ == Output::Open)
            Mix_HaltChannel(n - 1);
        Mix_FreeChunk(p.chunk);
        p.chunk = nullptr;
    }
    p.state = State::Closed;
    p.status.source = CueSource::NotOpen;
    for (const Player &other : players_)
        if (other.state != State::Closed)
            return;
    closeOutput();
}

Mix_Chunk *SoundBank::load(int n, const QString &fileName)
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
    Mix_Chunk *chunk = nullptr;
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

void SoundBank::finishedOnAudioThread(int channel)
{
    // Runs on the mixer's thread with the mixer locked, or inside a command
    // that cut a play short: only hand the news over to the bank's thread.
    if (SoundBank *bank = g_bank.load())
        QMetaObject::invokeMethod(bank, [bank, channel] { bank->channelFinished(channel); },
                                  Qt::QueuedConnection);
}

void SoundBank::channelFinished(int channel)
{
    const int n = channel + 1;
    Player *p = player(n);
    if (!p)
        return;
    ++p->finished;
    if (p->state == State::Closed || p->finished != p->started)
        return;
    if (p->state == State::Playing)
        p->state = State::Ready;
    if (!p->cutShort && p->notify)
        emit done(n);
    suspendWhenQuiet();
}

// ---- Telling the operator -------------------------------------------------

void SoundBank::report(const QString &line)
{
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
    if (!problemsToTell_.isEmpty()) {
        QStringList lines;
        lines << str(texts::soundFallbackHead) << problemsToTell_ << str(texts::soundFallbackFoot);
        problemsToTell_.clear();
        emit notice(lines.join(u'\n'));
    }
}

} // namespace tavrin
