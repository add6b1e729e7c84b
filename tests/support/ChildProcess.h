#pragma once

// Test helper: runs a program with its standard output (and, if asked, its standard error) on a pipe, reads
// it line by line with a timeout and stops the program (SIGTERM) when the helper goes away.

#include <sys/types.h>

#include <chrono>
#include <optional>
#include <string>
#include <vector>

class ChildProcess {
  public:
    // withStandardError: standard error goes to the same pipe as standard output. standardErrorFile: an open
    // descriptor that takes standard error instead (the caller keeps it); the default leaves it the test's.
    explicit ChildProcess(const std::vector<std::string> &argv, bool withStandardError = false,
                          int standardErrorFile = -1);
    ~ChildProcess();
    ChildProcess(const ChildProcess &) = delete;
    ChildProcess &operator=(const ChildProcess &) = delete;

    bool started() const { return pid_ > 0; }
    // Sends the program a signal while it runs.
    void signal(int number);

    // The next line of standard output without its newline, or none at the end or after the timeout.
    std::optional<std::string> readLine(std::chrono::milliseconds timeout = std::chrono::seconds(10));
    // Everything the program still writes until it closes its output.
    std::string readAll();

    // Waits for the program to end; its exit code, or 128 + signal.
    int wait();
    // SIGTERM, and SIGKILL when the program has not ended within the grace time.
    void stop(std::chrono::milliseconds grace = std::chrono::seconds(5));

  private:
    bool reap(int options);

    pid_t pid_ = -1;
    int out_ = -1;
    std::string pending_;
    std::optional<int> exitCode_;
};
