#pragma once

#include "protocol.h"

#include <QHash>
#include <QString>

#include <array>
#include <functional>

namespace tavrin::rooms {

// Every refusal is counted; the record gets one entry per kind and sender
// a minute, not one per message: a flood of bad packets must not become a
// flood of entries. Senders beyond a few dozen share one entry per kind.
class RefusalLog {
public:
    static constexpr int kMaxSenders = 64;
    static constexpr qint64 kEntryGapMs = 60'000;
    explicit RefusalLog(std::function<void(const QString &)> note) : note_(std::move(note)) {}
    void refused(const QString &topic, Refusal why, const QString &detail, const QString &sender, qint64 nowMs);
    qint64 count(Refusal why) const { return byKind_[std::size_t(why)]; }
    qint64 total() const { return total_; }
    // Refusals of a MAC: somebody without the key tried to steer.
    qint64 forgeries() const { return forgeries_; }

private:
    std::function<void(const QString &)> note_;
    QHash<QString, qint64> counts_; // by kind and sender: when last written
    std::array<qint64, std::size_t(Refusal::OwnName) + 1> byKind_{};
    qint64 total_ = 0;
    qint64 forgeries_ = 0;
};

} // namespace tavrin::rooms
