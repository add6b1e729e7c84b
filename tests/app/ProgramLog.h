#pragma once

// The log of a viewer program the test started: gathered from its standard error while waiting for a line.

#include <QByteArray>
#include <QProcess>
#include <QTest>

// Runs the event loop until program has logged text (true) or timeoutMs have passed; log keeps all read.
inline bool waitForLog(QProcess &program, QByteArray &log, const char *text, int timeoutMs = 10000) {
    return QTest::qWaitFor(
        [&] {
            log += program.readAllStandardError();
            return log.contains(text);
        },
        timeoutMs);
}
