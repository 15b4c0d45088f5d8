// Runs the real engine executable behind pipes, for the protocol tests.
#pragma once
#include <string>
#include <sys/types.h>

// The startup text before the first command: banner, book line, empty line.
std::string banner(bool book_open);

// A fresh empty working directory, removed with its contents at scope exit.
struct TempDir {
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    std::string path;
};

// Writes `text` to `dir`/`name`.
void write_file(const std::string& dir, const std::string& name, const std::string& text);

struct EngineResult {
    std::string output;  // everything written to standard output
    int exit_code = -1;  // -1 when killed
    bool timed_out = false;
};

// Starts the engine in `workdir`, writes `input`, closes its standard input
// and collects its output until it exits (killed after `timeout_ms`).
EngineResult run_engine(const std::string& input, const std::string& workdir, int timeout_ms = 30000);

// An engine kept running for a conversation line by line.
class EngineProcess {
public:
    explicit EngineProcess(const std::string& workdir);
    ~EngineProcess();
    EngineProcess(const EngineProcess&) = delete;
    EngineProcess& operator=(const EngineProcess&) = delete;

    // The start-up text, up to and including its empty line ("" on time-out).
    std::string read_start_up(int timeout_ms);
    void send(const std::string& line);  // appends "\n"
    // The next output line without its newline; false on time-out or end.
    bool read_line(std::string& line, int timeout_ms);
    void close_input();
    int wait(int timeout_ms);  // exit code, or -1 after killing it
    void interrupt();          // SIGINT, as an interface sends before its moves
    void kill_now();           // SIGKILL, for an engine deep in a search

private:
    pid_t pid_ = -1;
    int to_engine_ = -1;
    int from_engine_ = -1;
    std::string pending_;
};
