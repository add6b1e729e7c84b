#pragma once

// Test helper: runs a program with its standard output (and, if asked, its standard error) on a pipe, reads
// it line by line with a timeout and stops the program (SIGTERM) when the helper goes away.

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <optional>
#include <string>
#include <vector>

extern char **environ;

class ChildProcess {
  public:
    explicit ChildProcess(const std::vector<std::string> &argv, bool withStandardError = false) {
        int fds[2];
        if (pipe2(fds, O_CLOEXEC) != 0) return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
        if (withStandardError) posix_spawn_file_actions_adddup2(&actions, fds[1], STDERR_FILENO);
        std::vector<char *> args;
        for (const auto &arg : argv) args.push_back(const_cast<char *>(arg.c_str()));
        args.push_back(nullptr);
        if (posix_spawn(&pid_, args[0], &actions, nullptr, args.data(), environ) != 0) pid_ = -1;
        posix_spawn_file_actions_destroy(&actions);
        close(fds[1]);
        out_ = fds[0];
    }
    ~ChildProcess() {
        if (pid_ > 0 && !exitCode_) {
            kill(pid_, SIGTERM);
            wait();
        }
        if (out_ >= 0) close(out_);
    }
    ChildProcess(const ChildProcess &) = delete;
    ChildProcess &operator=(const ChildProcess &) = delete;

    bool started() const { return pid_ > 0; }
    // Sends the program a signal while it runs.
    void signal(int number) {
        if (pid_ > 0 && !exitCode_) kill(pid_, number);
    }

    // The next line of standard output without its newline, or none at the end or after the timeout.
    std::optional<std::string> readLine(std::chrono::milliseconds timeout = std::chrono::seconds(10)) {
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        while (true) {
            if (const auto end = pending_.find('\n'); end != std::string::npos) {
                std::string line = pending_.substr(0, end);
                pending_.erase(0, end + 1);
                return line;
            }
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            pollfd ready{out_, POLLIN, 0};
            if (left.count() <= 0 || poll(&ready, 1, static_cast<int>(left.count())) != 1)
                return std::nullopt;
            char buffer[4096];
            const ssize_t got = read(out_, buffer, sizeof buffer);
            if (got <= 0) return std::nullopt;
            pending_.append(buffer, static_cast<std::size_t>(got));
        }
    }

    // Everything the program still writes until it closes its output.
    std::string readAll() {
        std::string all = std::move(pending_);
        char buffer[4096];
        ssize_t got;
        while ((got = read(out_, buffer, sizeof buffer)) > 0)
            all.append(buffer, static_cast<std::size_t>(got));
        return all;
    }

    // Waits for the program to end; its exit code, or 128 + signal.
    int wait() {
        if (exitCode_) return *exitCode_;
        int status = 0;
        waitpid(pid_, &status, 0);
        exitCode_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        return *exitCode_;
    }

  private:
    pid_t pid_ = -1;
    int out_ = -1;
    std::string pending_;
    std::optional<int> exitCode_;
};
