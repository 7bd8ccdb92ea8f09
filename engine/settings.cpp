#include "settings.h"

#include "texts.h"

namespace tavrin {

// Placeholder until the settings file lands: the defaults, nothing saved.
SettingsLoadReport loadSettings(ExamState &st, const QString &)
{
    st.time1 = 30;
    st.time2 = 5;
    st.cycle = 40;
    st.c[1] = QLatin1String(texts::defaultCue1);
    st.c[2] = QLatin1String(texts::defaultCue2);
    st.c[3] = QLatin1String(texts::defaultCue3);
    st.message1 = QString::fromUtf16(texts::defaultMessage1);
    st.message2 = QString::fromUtf16(texts::defaultMessage2);
    st.tamasu = 10;
    st.fkc = 0;
    return {};
}

SettingsSaveReport saveSettings(const ExamState &, const QString &, bool)
{
    return {true, {}, {}};
}

} // namespace tavrin
