#include "refusal_log.h"

#include "texts.h"

namespace tavrin::rooms {

namespace {

using texts::str;

const char *refusalText(Refusal r)
{
    switch (r) {
    case Refusal::TooLarge: return texts::roomsTooLarge;
    case Refusal::Malformed: return texts::roomsMalformed;
    case Refusal::OtherVersion: return texts::roomsOtherVersion;
    case Refusal::OtherExam: return texts::roomsOtherExam;
    case Refusal::NotFromController: return texts::roomsNotFromController;
    case Refusal::BadValue: return texts::roomsBadValue;
    case Refusal::Unsigned: return texts::roomsUnsigned;
    case Refusal::Replayed: return texts::roomsReplayed;
    case Refusal::TooMany: return texts::roomsTooMany;
    case Refusal::OtherController: return texts::roomsNotFollowed;
    case Refusal::OtherKey: return texts::roomsOtherKey;
    case Refusal::OwnName: return texts::roomsUnsigned;
    }
    return texts::roomsMalformed;
}

} // namespace

void RefusalLog::refused(const QString &topic, Refusal why, const QString &detail, const QString &sender, qint64 nowMs)
{
    ++total_;
    ++byKind_[std::size_t(why)];
    if (why == Refusal::Unsigned || why == Refusal::OtherKey || why == Refusal::OwnName)
        ++forgeries_;
    QString key = QString::number(static_cast<int>(why)) + u' ' + sender;
    if (!counts_.contains(key) && counts_.size() >= kMaxSenders)
        key = QString::number(static_cast<int>(why));
    // One entry a minute per kind and sender, however many come.
    qint64 &last = counts_[key];
    if (last != 0 && nowMs - last < kEntryGapMs && nowMs >= last)
        return;
    last = nowMs == 0 ? 1 : nowMs;
    note_(str(texts::roomsRefusedFrom).arg(topic.left(120), str(refusalText(why)), detail, sender));
}

} // namespace tavrin::rooms
