#include "programme_position.h"

#include "integer.h"

namespace tavrin {

ProgrammePosition positionAt(const Programme &plan, qint64 n)
{
    ProgrammePosition at;
    at.part = int(plan.parts.size());
    if (n < 1)
        return at;
    qint64 from = 1; // the part's first second
    for (std::size_t i = 0; i < plan.parts.size(); ++i) {
        const Part &p = plan.parts[i];
        const qint64 length = p.length();
        if (n >= from + length) {
            from += length;
            continue;
        }
        const qint64 into = n - from; // 0-based within the part
        at.part = int(i);
        if (p.kind == Part::Kind::Break) {
            at.phase = ProgrammePhase::Break;
            at.second = into + 1;
            at.left = length - into;
            return at;
        }
        const qint64 period = qint64(p.reading) + p.answer + p.move;
        at.question = int(into / period) + 1;
        qint64 s = into % period;
        const qint64 lengths[3] = {p.reading, p.answer, p.move};
        const ProgrammePhase phases[3] = {ProgrammePhase::Reading, ProgrammePhase::Answering,
                                          ProgrammePhase::Moving};
        for (int k = 0; k < 3; ++k) {
            if (s < lengths[k]) {
                at.phase = phases[k];
                at.second = s + 1;
                at.left = lengths[k] - s;
                return at;
            }
            s -= lengths[k];
        }
    }
    return at;
}

bool runnable(const Programme &plan)
{
    using namespace programme_limits;
    if (plan.parts.empty() || plan.parts.size() > std::size_t(kMaxParts))
        return false;
    qint64 sum = 0;
    for (const Part &p : plan.parts) {
        if (p.readingBanner.size() > kMaxBanner || p.banner.size() > kMaxBanner)
            return false;
        if (p.kind == Part::Kind::Break) {
            if (p.seconds < 1 || p.seconds > kMaxTotal)
                return false;
        } else {
            // The engine counts each question's seconds and the block's
            // total in its own integers, as the three boxes do.
            if (p.questions < 1 || p.answer < 1 || p.move < 0 || p.reading < 0 || p.reading > Integer::kMax)
                return false;
            if ((qint64(p.answer) + p.move) * p.questions > Integer::kMax)
                return false;
        }
        sum += p.length();
        if (sum > kMaxTotal)
            return false;
    }
    return true;
}

} // namespace tavrin
