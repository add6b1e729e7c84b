#include "ChildProcess.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <thread>

extern char **environ;

ChildProcess::ChildProcess(const std::vector<std::string> &argv, bool withStandardError,
                           int standardErrorFile) {
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) return;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
    if (withStandardError) posix_spawn_file_actions_adddup2(&actions, fds[1], STDERR_FILENO);
    if (standardErrorFile >= 0) posix_spawn_file_actions_adddup2(&actions, standardErrorFile, STDERR_FILENO);
    std::vector<char *> args;
    for (const auto &arg : argv) args.push_back(const_cast<char *>(arg.c_str()));
    args.push_back(nullptr);
    if (posix_spawn(&pid_, args[0], &actions, nullptr, args.data(), environ) != 0) pid_ = -1;
    posix_spawn_file_actions_destroy(&actions);
    close(fds[1]);
    out_ = fds[0];
}

ChildProcess::~ChildProcess() {
    if (pid_ > 0 && !exitCode_) {
        kill(pid_, SIGTERM);
        wait();
    }
    if (out_ >= 0) close(out_);
}

void ChildProcess::signal(int number) {
    if (pid_ > 0 && !exitCode_) kill(pid_, number);
}

std::optional<std::string> ChildProcess::readLine(std::chrono::milliseconds timeout) {
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
        if (left.count() <= 0 || poll(&ready, 1, static_cast<int>(left.count())) != 1) return std::nullopt;
        char buffer[4096];
        const ssize_t got = read(out_, buffer, sizeof buffer);
        if (got <= 0) return std::nullopt;
        pending_.append(buffer, static_cast<std::size_t>(got));
    }
}

std::string ChildProcess::readAll() {
    std::string all = std::move(pending_);
    char buffer[4096];
    ssize_t got;
    while ((got = read(out_, buffer, sizeof buffer)) > 0) all.append(buffer, static_cast<std::size_t>(got));
    return all;
}

bool ChildProcess::reap(int options) {
    int status = 0;
    if (waitpid(pid_, &status, options) != pid_) return false;
    exitCode_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return true;
}

int ChildProcess::wait() {
    // A program that never started has no process to wait for (waitpid(-1) would take any child's end).
    if (pid_ <= 0) return -1;
    if (!exitCode_ && !reap(0)) exitCode_ = -1;
    return *exitCode_;
}

void ChildProcess::stop(std::chrono::milliseconds grace) {
    if (pid_ <= 0 || exitCode_) return;
    kill(pid_, SIGTERM);
    const auto deadline = std::chrono::steady_clock::now() + grace;
    while (!reap(WNOHANG)) {
        if (std::chrono::steady_clock::now() >= deadline) {
            kill(pid_, SIGKILL);
            wait();
            return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}
