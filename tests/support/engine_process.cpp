// Runs the real engine executable behind pipes, for the protocol tests.
#include "engine_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>

#ifndef TAVRIN_BINARY
#error "TAVRIN_BINARY must name the engine executable"
#endif

namespace {

using Clock = std::chrono::steady_clock;

int remaining_ms(Clock::time_point deadline) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left > 0 ? static_cast<int>(left) : 0;
}

pid_t spawn(const std::string& workdir, int* to_engine, int* from_engine) {
    int in_pipe[2], out_pipe[2];
    if (pipe(in_pipe) != 0 || pipe(out_pipe) != 0) throw std::runtime_error("pipe failed");
    const pid_t pid = fork();
    if (pid < 0) throw std::runtime_error("fork failed");
    if (pid == 0) {
        dup2(in_pipe[0], 0);
        dup2(out_pipe[1], 1);
        close(in_pipe[0]);
        close(in_pipe[1]);
        close(out_pipe[0]);
        close(out_pipe[1]);
        if (!workdir.empty() && chdir(workdir.c_str()) != 0) _exit(127);
        // Only the book in the working directory, never an installed one.
        setenv("TAVRIN_BOOK", "book.book", 1);
        execl(TAVRIN_BINARY, TAVRIN_BINARY, static_cast<char*>(nullptr));
        _exit(127);
    }
    close(in_pipe[0]);
    close(out_pipe[1]);
    *to_engine = in_pipe[1];
    *from_engine = out_pipe[0];
    return pid;
}

int reap(pid_t pid, int timeout_ms) {
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeout_ms);
    int status = 0;
    for (;;) {
        const pid_t done = waitpid(pid, &status, WNOHANG);
        if (done == pid) return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        if (Clock::now() >= deadline) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            return -1;
        }
        usleep(2000);
    }
}

}  // namespace

std::string banner(bool book_open) {
    return std::string("Tavrin 1.7\n10.02.2005\nChess programm by the Tavrin developers\n"
                       "http://www.example.org/tavrin/\nmail to:tavrin@example.org\n") +
           (book_open ? "Book version 1.0.\n" : "Book is not open.\n") + "\n";
}

TempDir::TempDir() {
    char name[] = "/tmp/tavrin-test-XXXXXX";
    if (!mkdtemp(name)) throw std::runtime_error("mkdtemp failed");
    path = name;
}

TempDir::~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path, ignored);
}

void write_file(const std::string& dir, const std::string& name, const std::string& text) {
    std::ofstream out(dir + "/" + name, std::ios::binary);
    out << text;
}

EngineResult run_engine(const std::string& input, const std::string& workdir, int timeout_ms) {
    signal(SIGPIPE, SIG_IGN);
    int to_engine, from_engine;
    const pid_t pid = spawn(workdir, &to_engine, &from_engine);
    fcntl(to_engine, F_SETFL, O_NONBLOCK);
    EngineResult result;
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeout_ms);
    std::size_t written = 0;
    bool output_open = true;
    while (output_open) {
        if (remaining_ms(deadline) == 0) {
            result.timed_out = true;
            break;
        }
        pollfd fds[2] = {{from_engine, POLLIN, 0}, {to_engine, POLLOUT, 0}};
        const int count = to_engine >= 0 ? 2 : 1;
        if (poll(fds, count, remaining_ms(deadline)) < 0 && errno != EINTR) break;
        if (fds[0].revents & (POLLIN | POLLHUP)) {
            char buffer[4096];
            const ssize_t n = read(from_engine, buffer, sizeof buffer);
            if (n > 0)
                result.output.append(buffer, static_cast<std::size_t>(n));
            else if (n == 0)
                output_open = false;
        }
        if (to_engine >= 0 && (fds[1].revents & (POLLOUT | POLLERR | POLLHUP))) {
            if (written < input.size()) {
                const ssize_t n = write(to_engine, input.data() + written, input.size() - written);
                if (n > 0) written += static_cast<std::size_t>(n);
                else if (n < 0 && errno != EAGAIN) written = input.size();
            }
            if (written >= input.size()) {
                close(to_engine);
                to_engine = -1;
            }
        }
    }
    if (to_engine >= 0) close(to_engine);
    close(from_engine);
    result.exit_code = reap(pid, result.timed_out ? 0 : remaining_ms(deadline) + 1000);
    return result;
}

EngineProcess::EngineProcess(const std::string& workdir) {
    signal(SIGPIPE, SIG_IGN);
    pid_ = spawn(workdir, &to_engine_, &from_engine_);
}

EngineProcess::~EngineProcess() {
    if (to_engine_ >= 0) close(to_engine_);
    if (pid_ > 0) reap(pid_, 2000);
    if (from_engine_ >= 0) close(from_engine_);
}

std::string EngineProcess::read_start_up(int timeout_ms) {
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeout_ms);
    std::string text, line;
    while (read_line(line, remaining_ms(deadline))) {
        text += line + "\n";
        if (line.empty()) return text;
    }
    return "";
}

void EngineProcess::send(const std::string& line) {
    const std::string text = line + "\n";
    std::size_t written = 0;
    while (written < text.size()) {
        const ssize_t n = write(to_engine_, text.data() + written, text.size() - written);
        if (n <= 0) return;
        written += static_cast<std::size_t>(n);
    }
}

bool EngineProcess::read_line(std::string& line, int timeout_ms) {
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeout_ms);
    for (;;) {
        const std::size_t newline = pending_.find('\n');
        if (newline != std::string::npos) {
            line = pending_.substr(0, newline);
            pending_.erase(0, newline + 1);
            return true;
        }
        pollfd fd = {from_engine_, POLLIN, 0};
        const int ready = poll(&fd, 1, remaining_ms(deadline));
        if (ready <= 0) return false;
        char buffer[4096];
        const ssize_t n = read(from_engine_, buffer, sizeof buffer);
        if (n <= 0) return false;
        pending_.append(buffer, static_cast<std::size_t>(n));
    }
}

void EngineProcess::close_input() {
    if (to_engine_ >= 0) close(to_engine_);
    to_engine_ = -1;
}

int EngineProcess::wait(int timeout_ms) {
    close_input();
    if (pid_ <= 0) return -1;
    const int code = reap(pid_, timeout_ms);
    pid_ = -1;
    return code;
}

void EngineProcess::interrupt() {
    if (pid_ > 0) kill(pid_, SIGINT);
}

void EngineProcess::kill_now() {
    if (pid_ > 0) kill(pid_, SIGKILL);
    wait(5000);
}
