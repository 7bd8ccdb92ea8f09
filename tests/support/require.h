#pragma once

// A test that cannot have what it needs here (why is not empty) skips, but
// fails where the test command asks for it with variable=1: scripts/services.sh
// sets TAVRIN_REQUIRE_DISPLAY and TAVRIN_REQUIRE_SOUND as it starts the servers.

#include <QTest>

namespace tavrin::testing {
inline bool required(const char *variable) { return qEnvironmentVariableIntValue(variable) == 1; }
} // namespace tavrin::testing

#define TAVRIN_NEED(variable, why)                                                                       \
    do {                                                                                                 \
        if (const QString why_ = (why); !why_.isEmpty()) {                                               \
            if (tavrin::testing::required(variable))                                                     \
                QFAIL(qPrintable(why_));                                                                 \
            QSKIP(qPrintable(why_));                                                                     \
        }                                                                                                \
    } while (false)
