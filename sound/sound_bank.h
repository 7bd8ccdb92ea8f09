#pragma once

#include "ports.h"

#include <QObject>
#include <QString>

namespace tavrin {

// The four cue players, one mixer channel each.
class SoundBank : public QObject, public CuePlayers {
    Q_OBJECT
public:
    explicit SoundBank(QObject *parent = nullptr);
    ~SoundBank() override;

    void setNotify(int player, bool on) override;
    void setWait(int player, bool on) override;
    void setDeviceType(int player, const QString &type) override;
    void setFileName(int player, const QString &file) override;
    void command(int player, PlayerCommand cmd) override;

signals:
    // A play has ended; delivered on the thread the bank lives in.
    void done(int player);
    // Something the operator should know (a missing cue file, no audio output).
    void notice(const QString &text);
};

} // namespace tavrin
