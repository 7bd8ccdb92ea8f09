#include "programme_json.h"

#include "programme_position.h"

#include <QJsonObject>

#include <cmath>

namespace tavrin {

namespace {
QString key(const char *k)
{
    return QString::fromLatin1(k);
}
} // namespace

QJsonArray programmeJson(const Programme &plan)
{
    QJsonArray parts;
    for (const Part &p : plan.parts) {
        if (p.kind == Part::Kind::Break) {
            parts.append(QJsonObject{{key("break"), p.seconds}, {key("banner"), p.banner}});
            continue;
        }
        QJsonObject o{{key("questions"), p.questions}, {key("answer"), p.answer}, {key("move"), p.move}};
        if (p.reading > 0) {
            o.insert(key("reading"), p.reading);
            o.insert(key("readingBanner"), p.readingBanner);
            o.insert(key("readingCue"), p.readingCue);
        }
        parts.append(o);
    }
    return parts;
}

std::optional<Programme> programmeFromJson(const QJsonValue &value)
{
    using namespace programme_limits;
    if (!value.isArray() || value.toArray().size() > kMaxParts)
        return std::nullopt;
    Programme plan;
    for (const QJsonValue &v : value.toArray()) {
        if (!v.isObject())
            return std::nullopt;
        const QJsonObject o = v.toObject();
        bool ok = true;
        // Whole numbers within a day; absent ones are 0 unless required.
        auto number = [&](const char *k, bool required) {
            const QJsonValue n = o.value(key(k));
            if (n.isUndefined() && !required)
                return 0;
            const double d = n.toDouble(-1);
            if (!n.isDouble() || d != std::floor(d) || d < 0 || d > double(kMaxTotal)) {
                ok = false;
                return 0;
            }
            return int(d);
        };
        auto text = [&](const char *k) {
            const QJsonValue s = o.value(key(k));
            if (s.isUndefined())
                return QString();
            if (!s.isString() || s.toString().size() > kMaxBanner)
                ok = false;
            return s.toString();
        };
        Part p;
        if (o.contains(key("break"))) {
            p.kind = Part::Kind::Break;
            p.seconds = number("break", true);
            p.banner = text("banner");
        } else {
            p.questions = number("questions", true);
            p.answer = number("answer", true);
            p.move = number("move", true);
            p.reading = number("reading", false);
            p.readingBanner = text("readingBanner");
            const QJsonValue cue = o.value(key("readingCue"));
            ok = ok && (cue.isUndefined() || cue.isBool());
            p.readingCue = cue.toBool();
        }
        if (!ok)
            return std::nullopt;
        plan.parts.push_back(p);
    }
    if (!runnable(plan))
        return std::nullopt;
    return plan;
}

} // namespace tavrin
