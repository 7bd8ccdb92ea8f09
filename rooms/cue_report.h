#pragma once

#include "ports.h"

#include <QString>

#include <array>

namespace tavrin::rooms {

// A room's cues that do not play its own files, for the operator: which play
// the built-in sound, which none at all, and which it could not say; empty
// when all four are its own.
QString cuesNotOwn(const std::array<CueSource, 4> &cues);

} // namespace tavrin::rooms
