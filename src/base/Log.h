#pragma once

// The process log and the few lines the program prints on standard output.
//
// logLine() writes one line to standard error, prefixed the way desktop programs log:
//   "2026-12-07 19:45:00.123 deskcam[4711:4712] message"
// (local time to the millisecond, program name, process id and thread id). A trailing "\r\n" or "\r" in the
// message is kept as given; a newline is added only when the message does not already end in one.
//
// stdoutLine() writes exactly the formatted text to standard output, unprefixed, and flushes it.

#include <string>

namespace deskcam {

void logLine(const char *format, ...) __attribute__((format(printf, 1, 2)));
void stdoutLine(const char *format, ...) __attribute__((format(printf, 1, 2)));

// The prefix logLine() puts before a message (exposed for tests).
std::string logPrefix();

}  // namespace deskcam
