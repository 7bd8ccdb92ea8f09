#include "sound_bank.h"

namespace tavrin {

// Placeholder until the mixer-backed bank lands.
SoundBank::SoundBank(QObject *parent) : QObject(parent) {}
SoundBank::~SoundBank() = default;
void SoundBank::setNotify(int, bool) {}
void SoundBank::setWait(int, bool) {}
void SoundBank::setDeviceType(int, const QString &) {}
void SoundBank::setFileName(int, const QString &) {}
void SoundBank::command(int, PlayerCommand) {}

} // namespace tavrin
