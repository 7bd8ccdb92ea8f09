#pragma once

// For a test that cannot have what it needs here (why is not empty): it
// skips, but fails where the test command asks for it with variable=1
// (scripts/services.sh sets TAVRIN_REQUIRE_DISPLAY and TAVRIN_REQUIRE_SOUND
// as it starts the X and sound servers), since a skip must not pass there.

#include <QString>
#include <QTest>

namespace tavrin::testing {
inline bool required(const char *variable)
{
    return qEnvironmentVariableIntValue(variable) == 1;
}
} // namespace tavrin::testing

#define TAVRIN_NEED(variable, why)                                                                       \
    do {                                                                                                 \
        const QString tavrinWhy_ = (why);                                                                \
        if (!tavrinWhy_.isEmpty()) {                                                                     \
            if (tavrin::testing::required(variable))                                                     \
                QFAIL(qPrintable(tavrinWhy_));                                                           \
            QSKIP(qPrintable(tavrinWhy_));                                                               \
        }                                                                                                \
    } while (false)
