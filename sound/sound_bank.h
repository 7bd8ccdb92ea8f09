#pragma once

#include "audio_output.h"
#include "cue_mixer.h"
#include "ports.h"

#include <QObject>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>

namespace tavrin {

// The four cue players, one voice each of the cue mixer.
//
// The audio output is opened by the first "Open" and released when the last
// player is closed. Every command returns at once and none ever fails: a file
// that cannot be used is replaced by the built-in sound of its player's role,
// a player without a file name stays silent, and without any audio output
// a play is not heard. What replaces a file, or the lack of an output, is
// told to the operator once through notice(); an output that comes back is
// used from the next cue on.
//
// A running output renders a period every 23 ms whether anything sounds or
// not. While no cue is wanted (setOutputWanted(false)) it idles as soon as
// nothing plays: it stays open, and the sound server with it, but renders
// nothing. The next Play or setOutputWanted(true) wakes it, within a period
// or two; a cue of a tick is best announced a tick ahead, so that the
// output's clock is known again by then. Opening and closing happen on a
// thread of their own, never on this one.
//
// A cue played while a tick of the clock is handled sounds cueDelayMs after
// the second the tick was due on (setDueClock), to the sample, so that every
// Tavrin on the same grid sounds it at the same instant. One the output came
// too late for starts late, or after a second is dropped; either is told
// (cueLate, cueDropped), and the operator once through notice().
class SoundBank : public QObject, public CuePlayers {
    Q_OBJECT
public:
    explicit SoundBank(QObject *parent = nullptr);
    ~SoundBank() override;

    void setNotify(int player, bool on) override;
    void setFileName(int player, const QString &file) override;
    void command(int player, PlayerCommand cmd) override;

    // Player 1..4 as opened; NotOpen for any other number. Silent while the
    // output cannot be opened.
    CueStatus cueStatus(int player) const;
    // How long player 1..4's sound lasts, in ms; 0 when it has none.
    int cueLengthMs(int player) const;

    // Whether a cue may come soon: keeps the audio output running, or lets
    // it idle once nothing plays. Wanted, it is also checked, and opened
    // again if it failed or the sound server dropped it.
    void setOutputWanted(bool wanted);
    // The output is open now (running, or idle between cues).
    bool outputOpen() const { return output_ == Output::Open; }
    // Its thread has stopped rendering until the next cue.
    bool outputIdle() const { return parked_; }

    // When the tick being handled was due, in wall-clock ms since the epoch;
    // 0 when no tick is being handled (the cue then plays at once).
    void setDueClock(std::function<qint64()> dueWallMs) { dueClock_ = std::move(dueWallMs); }

    // Mixer period in sample frames.
    static constexpr int periodFrames = 1024;
    static constexpr int sampleRate = 44100;
    // From a tick's due time to its cue's first sample at the device: time
    // for the tick to be handled and for a period to reach the device.
    static constexpr int cueDelayMs = kCueDelayMs;
    // From the request for a period to its first sample at the device, as
    // measured on PulseAudio (bench/cue_onset.cpp).
    static constexpr int outputLatencyUs = 16400;
    // An output not open this long after it was asked for is told as
    // missing: a sound server that hangs (stopped, or a socket nobody
    // answers) would otherwise keep the cues silent without a word.
    static constexpr int openTimeoutMs = 4000;
    // At the end, how long the output's thread is waited for.
    static constexpr int stopGraceMs = 2000;
    // A cue that starts later than this after its time is told as late:
    // well past the ms or two a steady output is off by.
    static constexpr int lateCueMs = 10;
    // A correction of the speaker's own delay is bounded so: beyond it, the
    // speaker is not one a cue can be timed on.
    static constexpr int maxSpeakerDelayMs = 2000;
    // A reported delay beyond this is the server's mistake, not a speaker's.
    static constexpr std::int64_t maxSinkLatencyUs = 10'000'000;

    // The room's correction of its speaker's delay (a speaker that delays
    // more than the server reports: plus), within ±maxSpeakerDelayMs.
    void setSpeakerDelayMs(int ms);
    int speakerDelayMs() const { return speakerDelayMs_; }
    // What the sound server last said of the sink.
    const SinkReport &sink() const { return sink_; }
    // How much sooner than its due time a tick must be handled for its cue
    // to leave the speaker on time: the delay beyond the output's own.
    int leadMs() const;

    // Whether a bank holds the process's audio output (or one that could
    // not be stopped is still held in the sound server).
    static bool outputInUse();

signals:
    // A play has ended; delivered on the thread the bank lives in.
    void done(int player);
    // Something the operator should know (a missing cue file, no audio output).
    void notice(const QString &text);
    // When the output started the play just asked of player, as far as can
    // be told: its first sample at the device, in wall-clock ms since the epoch.
    void cueStarted(int player, qint64 wallMs);
    // The output came too late for the play just asked of player: it started
    // lateMs after its time, or it was dropped and nothing was heard.
    void cueLate(int player, qint64 lateMs);
    void cueDropped(int player);
    // The sink's report or the correction changed (so did leadMs()).
    void speakerChanged();

private:
    enum class State { Closed, Ready, Playing, Paused };
    enum class Output { Closed, Opening, Open, Failed };

    struct Player {
        bool notify = false;
        QString fileName;
        State state = State::Closed;
        std::shared_ptr<const Pcm> pcm;
        // Counts the plays; only the end of the latest, run to its end, is
        // a completion.
        std::uint64_t play = 0;
        CueStatus status;
    };

    Player *player(int n);
    void open(int n, Player &p);
    void play(int n, Player &p);
    void stop(int n, Player &p);
    void rewind(int n, Player &p);
    void close(int n, Player &p);
    std::shared_ptr<const Pcm> load(int n, const QString &fileName);
    bool anyOpen() const;
    bool quiet() const;
    void askForOutput();
    void updateOutput();
    void suspendNow();
    void outputReport(AudioOutput::Report report, const QString &error);
    void sinkReported(const SinkReport &report);
    void updateLatency();
    std::int64_t extraLatencyUs() const;
    void mixerEvent(const CueMixer::News &news, qint64 wallMs);
    void tellMissedCue();
    std::int64_t startTimeNs() const;
    void report(const QString &line);
    void flushReports();

    std::array<Player, 4> players_{};
    Output output_ = Output::Closed;
    bool owner_ = false; // of the process's one audio output
    bool requested_ = false; // open, or opening
    bool idling_ = false;    // asked to idle
    bool parked_ = false;    // and idle
    QString outputError_;
    bool noOutputToTell_ = false;
    bool toldNoOutput_ = false;
    bool missedCueToTell_ = false;
    bool toldMissedCue_ = false;
    QStringList problemsToTell_;
    QSet<QString> toldFiles_;
    bool flushQueued_ = false;
    bool wanted_ = true;
    std::function<qint64()> dueClock_;
    int speakerDelayMs_ = 0;
    SinkReport sink_;
    QTimer suspendTimer_;
    QTimer openWatch_;
    // What the output's threads may still tell this bank: nothing once it
    // is gone (after an output that could not be stopped, see the destructor).
    struct Mailbox {
        std::mutex mutex;
        SoundBank *bank = nullptr;
        void post(std::function<void(SoundBank *)> news);
    };
    std::shared_ptr<Mailbox> mailbox_ = std::make_shared<Mailbox>();
    std::unique_ptr<CueMixer> mixer_;
    // Last: its thread stops first, and nothing renders after it.
    std::unique_ptr<AudioOutput> device_;
};

} // namespace tavrin
