#pragma once

#include <QtGlobal>
#include <QtTest>

// For a test that needs a program the machine may lack (Xvfb, xdotool,
// python3, ...): on a developer's machine without it the test is skipped
// with the reason; CI (CI set in the environment) must have everything, so
// there the lack fails the test instead of letting it pass unrun.
#define CLIPVANE_REQUIRE_TOOL(bPresent, reason)                                                    \
    do {                                                                                           \
        if (!(bPresent)) {                                                                         \
            if (qEnvironmentVariableIsSet("CI"))                                                   \
                QFAIL(reason);                                                                     \
            QSKIP(reason);                                                                         \
        }                                                                                          \
    } while (false)
