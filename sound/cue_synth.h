#pragma once

#include <cstdint>
#include <vector>

// The program's own cue sounds, computed rather than recorded so that they
// can be regenerated and checked. Plain C++: the generator needs no Qt.
namespace tavrin::cues {

inline constexpr int sampleRate = 44100;

// In the order of the players that sound them.
enum class Cue { Tick = 1, AnswerEnd, ExamEnd, Chime };
inline constexpr Cue allCues[] = {Cue::Tick, Cue::AnswerEnd, Cue::ExamEnd, Cue::Chime};

// 16-bit mono samples at sampleRate.
std::vector<std::int16_t> synthesize(Cue cue);

// A complete RIFF/WAVE file: 16-bit PCM, mono.
std::vector<std::uint8_t> wavFile(const std::vector<std::int16_t> &samples, int rate = sampleRate);

} // namespace tavrin::cues
