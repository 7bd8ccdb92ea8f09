#pragma once

#include "ports.h"

#include <QObject>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <array>
#include <cstdint>
#include <thread>

struct Mix_Chunk;

namespace tavrin {

// The four cue players, one mixer channel each.
//
// The audio output is opened by the first "Open" and released when the last
// player is closed. Every command returns at once and none ever fails: a file
// that cannot be used is replaced by the built-in sound of its player's role,
// a player without a file name stays silent, and without any audio output
// every command does nothing. What replaces a file, or the lack of an output,
// is told to the operator once through notice().
//
// An open output wakes the mixer every period whether anything sounds or
// not. While no cue is wanted (setOutputWanted(false)) the output is closed
// as soon as nothing plays; the players keep their sounds, and the next Play
// or setOutputWanted(true) opens it again.
class SoundBank : public QObject, public CuePlayers {
    Q_OBJECT
public:
    explicit SoundBank(QObject *parent = nullptr);
    ~SoundBank() override;

    void setNotify(int player, bool on) override;
    void setFileName(int player, const QString &file) override;
    void command(int player, PlayerCommand cmd) override;

    // Player 1..4 as opened; NotOpen for any other number.
    CueStatus cueStatus(int player) const;

    // Whether a cue may come soon: keeps the audio output open, or lets it
    // close once nothing plays.
    void setOutputWanted(bool wanted);
    // The output is open now (it may be closed while no cue is wanted).
    bool outputOpen() const { return output_ == Output::Open; }

    // Mixer period in sample frames: what a cue may wait before it is heard.
    static constexpr int periodFrames = 1024;
    static constexpr int sampleRate = 44100;

signals:
    // A play has ended; delivered on the thread the bank lives in.
    void done(int player);
    // Something the operator should know (a missing cue file, no audio output).
    void notice(const QString &text);

private:
    enum class State { Closed, Ready, Playing, Paused };
    // Suspended: the device is closed (or closing in the background), the
    // players keep their sounds.
    enum class Output { Untried, Open, Suspended, Failed };

    struct Player {
        bool notify = false;
        QString fileName;
        State state = State::Closed;
        Mix_Chunk *chunk = nullptr;
        // The mixer reports the end of every play, also of one cut short by
        // a new Play, a rewind or a close. Only the end of the latest play,
        // when it ran to its end, is a completion.
        std::uint64_t started = 0;
        std::uint64_t finished = 0;
        bool cutShort = false;
        CueStatus status;
    };

    Player *player(int n);
    bool openOutput();
    bool openDevice();
    void closeOutput();
    void reloadChunks();
    bool quiet() const;
    void suspendWhenQuiet();
    void suspendNow();
    void finishClosing();
    void open(int n, Player &p);
    void play(int n, Player &p);
    void stop(int n, Player &p);
    void rewind(int n, Player &p);
    void close(int n, Player &p);
    Mix_Chunk *load(int n, const QString &fileName);
    void channelFinished(int channel);
    void report(const QString &line);
    void flushReports();

    static void finishedOnAudioThread(int channel);

    std::array<Player, 4> players_{};
    Output output_ = Output::Untried;
    QString outputError_;
    bool noOutputToTell_ = false;
    bool toldNoOutput_ = false;
    QStringList problemsToTell_;
    QSet<QString> toldFiles_;
    bool flushQueued_ = false;
    bool wanted_ = true;
    // Closing the device waits for the mixer to drain (two periods); that
    // wait happens here rather than on the thread that runs the clock.
    std::thread closing_;
    QTimer suspendTimer_;
};

} // namespace tavrin
