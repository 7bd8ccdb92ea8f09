#pragma once

#include "ports.h"

#include <QDialog>
#include <QTimer>
#include <array>

class QAction;
class QLabel;
class QPushButton;

namespace tavrin {

class Engine;
class Form1;
class SoundBank;

// Before an examination: plays the four cues one after another, each with its
// role named, and says for each whether its own file or the built-in sound
// was played, and why. Only offered while no run is under way; a run that
// starts meanwhile stops it. A window of the main window, never of the room
// display.
class SoundCheck : public QDialog, public RunObserver {
    Q_OBJECT
public:
    SoundCheck(SoundBank &bank, const Engine &engine, Form1 &window);

    // Shows the window and plays from the first cue.
    void start();
    bool playing() const { return current_ != 0; }
    // What the row of player n (1..4) says now.
    QString outcome(int player) const;

    // What each cue played in the last check (NotOpen: not heard) and when
    // that check ended (ms since 1970; 0: none yet).
    const std::array<CueSource, 4> &played() const { return played_; }
    qint64 lastCheckMs() const { return lastCheckMs_; }
    // Whether a check may start now (no run under way).
    bool allowed() const;

    // F6 on the window's right-click menu, offered only in Idle.
    void addActionTo(QWidget &window);

    // RunObserver: whether it may be offered, and stopping it for a run.
    void runEvent(const RunEvent &event, const ExamState &state) override;

    // How long a cue may play before the check moves on (a long file of the
    // operator's own is cut there), and the pause between two cues.
    static constexpr int cueLimitMs = 8000;
    static constexpr int pauseMs = 500;

signals:
    // All four have been played, or the check was stopped.
    void checked();

private:
    void playNext();
    void heard(int player);
    void stop(const QString &why);
    void setOutcome(int player, const QString &text);
    QString describeStatus(int player) const;

    SoundBank &bank_;
    const Engine &engine_;
    int current_ = 0; // the player sounding or about to, 0 when idle
    bool waiting_ = false;
    QTimer limit_;
    QTimer pause_;
    std::array<QLabel *, 4> outcomes_{};
    QPushButton *again_ = nullptr;
    QAction *action_ = nullptr;
    std::array<CueSource, 4> played_{};
    qint64 lastCheckMs_ = 0;
};

} // namespace tavrin
