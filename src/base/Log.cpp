#include "base/Log.h"

#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdarg>
#include <cstdio>
#include <ctime>
#include <vector>

namespace deskcam {
namespace {

std::string vformat(const char *format, va_list args) {
    va_list copy;
    va_copy(copy, args);
    const int needed = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    if (needed <= 0) return {};
    std::vector<char> buffer(static_cast<size_t>(needed) + 1);
    std::vsnprintf(buffer.data(), buffer.size(), format, args);
    return std::string(buffer.data(), static_cast<size_t>(needed));
}

}  // namespace

std::string logPrefix() {
    using namespace std::chrono;
    const auto now = system_clock::now();
    const std::time_t seconds = system_clock::to_time_t(now);
    const auto millis = duration_cast<milliseconds>(now.time_since_epoch()).count() % 1000;
    std::tm local{};
    localtime_r(&seconds, &local);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y-%m-%d %H:%M:%S", &local);
    char prefix[160];
    std::snprintf(prefix, sizeof prefix, "%s.%03lld %s[%d:%ld] ", stamp, static_cast<long long>(millis),
                  program_invocation_short_name, static_cast<int>(getpid()),
                  static_cast<long>(syscall(SYS_gettid)));
    return prefix;
}

void logLine(const char *format, ...) {
    va_list args;
    va_start(args, format);
    std::string line = logPrefix() + vformat(format, args);
    va_end(args);
    if (line.empty() || (line.back() != '\n' && line.back() != '\r')) line += '\n';
    // One write per line so that lines from different threads do not interleave.
    std::fwrite(line.data(), 1, line.size(), stderr);
    std::fflush(stderr);
}

void stdoutLine(const char *format, ...) {
    va_list args;
    va_start(args, format);
    const std::string text = vformat(format, args);
    va_end(args);
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fflush(stdout);
}

}  // namespace deskcam
