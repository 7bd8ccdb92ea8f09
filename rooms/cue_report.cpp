#include "cue_report.h"

#include "texts.h"

#include <QStringList>

namespace tavrin::rooms {

QString cuesNotOwn(const std::array<CueSource, 4> &cues)
{
    const std::pair<CueSource, const char *> kinds[] = {
        {CueSource::BuiltIn, texts::roomsCuesBuiltin},
        {CueSource::Silent, texts::roomsCuesSilent},
        {CueSource::NotOpen, texts::roomsCuesUnknown},
    };
    QStringList parts;
    for (const auto &[source, text] : kinds) {
        QStringList players;
        for (int n = 1; n <= 4; ++n)
            if (cues[std::size_t(n - 1)] == source)
                players << QString::number(n);
        if (!players.isEmpty())
            parts << texts::str(text).arg(players.join(u'、'));
    }
    return parts.join(u'\u3000');
}

} // namespace tavrin::rooms
