#pragma once

#include <QObject>
#include <QString>

#include <optional>

namespace tavrin {

class FramePort;
class PhaseTimer;
class SoundBank;

// Reads an option's text as a correction in ms: empty when it is not a
// whole number within the bank's bounds.
std::optional<int> parseSpeakerDelay(const QString &text);

// The room's correction of its speaker's delay: kept in the options file's
// [sound] group, set from the menu (F12), and handed to the players and to
// the clock, whose ticks come that much sooner so that each cue leaves the
// speaker on its time.
class SpeakerDelay : public QObject {
    Q_OBJECT
public:
    SpeakerDelay(SoundBank &bank, PhaseTimer &clock, FramePort &frame, QString optionsFile,
                 QObject *parent = nullptr);

    // Reads the options file; a value out of bounds is refused and told.
    void load();
    void addActionTo(FramePort &frame);
    // Sets and keeps a correction typed by the operator; empty on success,
    // otherwise the refusal to show.
    QString set(const QString &text);
    // The output as the ready board and the dialog show it.
    QString describeOutput() const;

private:
    void ask();

    SoundBank &bank_;
    PhaseTimer &clock_;
    FramePort &frame_;
    const QString optionsFile_;
};

} // namespace tavrin
