#include "refusal_log.h"

#include "texts.h"

namespace tavrin::rooms {

namespace {

using texts::str;

const char16_t *refusalText(Refusal r)
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
    }
    return texts::roomsMalformed;
}

} // namespace

void RefusalLog::refused(const QString &topic, Refusal why, const QString &detail, const QString &sender)
{
    ++total_;
    if (why == Refusal::Unsigned)
        ++forgeries_;
    QString key = QString::number(static_cast<int>(why)) + u' ' + sender;
    if (!counts_.contains(key) && counts_.size() >= kMaxSenders)
        key = QString::number(static_cast<int>(why));
    if (counts_[key]++ > 0)
        return;
    note_(str(texts::roomsRefusedFrom).arg(topic.left(120), str(refusalText(why)), detail, sender));
}

} // namespace tavrin::rooms
