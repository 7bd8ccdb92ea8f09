#pragma once

#include "protocol.h"

#include <QHash>
#include <QString>

#include <functional>

namespace tavrin::rooms {

// Every refusal is counted; the record gets one entry per kind and sender,
// not one per message: a flood of bad packets must not become a flood of
// entries. Senders beyond a few dozen share one entry per kind.
class RefusalLog {
public:
    static constexpr int kMaxSenders = 64;
    explicit RefusalLog(std::function<void(const QString &)> note) : note_(std::move(note)) {}
    void refused(const QString &topic, Refusal why, const QString &detail, const QString &sender);
    qint64 total() const { return total_; }
    // Refusals of a MAC: somebody without the key tried to steer.
    qint64 forgeries() const { return forgeries_; }

private:
    std::function<void(const QString &)> note_;
    QHash<QString, qint64> counts_; // by kind and sender
    qint64 total_ = 0;
    qint64 forgeries_ = 0;
};

} // namespace tavrin::rooms
