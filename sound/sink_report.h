#pragma once

#include <QString>

#include <chrono>
#include <cstdint>

namespace tavrin {

// What the sound server says of the sink this process's cues play into:
// how long a sample it has mixed takes to leave it, and whether that sink
// sends the sound somewhere whose delay is large and varies (a Bluetooth
// speaker, a network sink).
struct SinkReport {
    enum class Risk { None, Bluetooth, Network };
    bool known = false;      // the server answered and our stream was found
    QString name;            // the sink's description
    std::int64_t latencyUs = 0; // as the server reports it
    // Whether that latency lies after what the sink's monitor records: a
    // null sink plays nowhere, so its monitor is where its sound is heard.
    bool plays = false;
    Risk risk = Risk::None;
    friend bool operator==(const SinkReport &, const SinkReport &) = default;
};

// Asks the PulseAudio (or PipeWire) server, waiting at most timeout; an
// unknown report when there is none, or no stream of ours named stream.
// Blocks: never on a thread the clock or the window runs on.
SinkReport querySink(const char *stream, std::chrono::milliseconds timeout);

} // namespace tavrin
