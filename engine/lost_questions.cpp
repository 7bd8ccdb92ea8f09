#include "lost_questions.h"

#include "texts.h"

#include <QStringList>

#include <algorithm>

namespace tavrin {

using texts::str;

std::vector<LostQuestions> questionsBetween(const Programme &plan, int fromPart, int from, int toPart, int to,
                                            bool numbered)
{
    std::vector<LostQuestions> out;
    const int parts = int(plan.parts.size());
    for (int i = std::max(0, fromPart); i <= std::min(toPart, parts - 1); ++i) {
        const Part &p = plan.parts[std::size_t(i)];
        if (p.kind != Part::Kind::Block || p.questions <= 0)
            continue;
        const int first = i == fromPart ? std::max(1, from) : 1;
        const int last = i == toPart ? std::min(to, p.questions) : p.questions;
        if (last >= first)
            out.push_back({numbered ? i + 1 : 0, first, last});
    }
    return out;
}

bool lostValid(const std::vector<LostQuestions> &lost)
{
    if (lost.size() > std::size_t(programme_limits::kMaxParts))
        return false;
    int part = -1;
    for (const LostQuestions &l : lost) {
        if (l.part <= part || l.part > programme_limits::kMaxParts || l.first < 1 || l.last < l.first ||
            l.last > programme_limits::kMaxNumber)
            return false;
        // The held block unnamed stands alone.
        if (l.part == 0 && lost.size() > 1)
            return false;
        part = l.part;
    }
    return true;
}

QString lostKey(const std::vector<LostQuestions> &lost)
{
    QStringList parts;
    for (const LostQuestions &l : lost)
        parts << QStringLiteral("%1:%2-%3").arg(l.part).arg(l.first).arg(l.last);
    return parts.join(u' ');
}

std::optional<std::vector<LostQuestions>> lostFromKey(const QString &key)
{
    std::vector<LostQuestions> out;
    const QStringList entries = key.split(u' ', Qt::SkipEmptyParts);
    if (entries.size() > programme_limits::kMaxParts)
        return std::nullopt;
    for (const QString &e : entries) {
        const qsizetype colon = e.indexOf(u':');
        const qsizetype dash = e.indexOf(u'-', colon + 1);
        bool ok[3] = {};
        const LostQuestions l{e.left(colon).toInt(&ok[0]), e.mid(colon + 1, dash - colon - 1).toInt(&ok[1]),
                              e.mid(dash + 1).toInt(&ok[2])};
        if (colon < 0 || dash < 0 || !ok[0] || !ok[1] || !ok[2])
            return std::nullopt;
        out.push_back(l);
    }
    if (!lostValid(out))
        return std::nullopt;
    return out;
}

QString lostText(int first, int last)
{
    if (last < first || last <= 0)
        return str(texts::holdLostNone);
    return first == last ? str(texts::holdLostOne).arg(first) : str(texts::holdLostRange).arg(first).arg(last);
}

QString lostText(const std::vector<LostQuestions> &lost)
{
    if (lost.empty())
        return str(texts::holdLostNone);
    QStringList out;
    for (const LostQuestions &l : lost)
        out << (l.part == 0 ? lostText(l.first, l.last)
                            : str(texts::holdLostInPart).arg(l.part).arg(lostText(l.first, l.last)));
    return out.join(str(texts::holdLostJoin));
}

} // namespace tavrin
