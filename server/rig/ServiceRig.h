#pragma once

// Real parts for tests and the load tool: pelmora-server processes, and
// later a throwaway PostgreSQL cluster and nginx, all on loopback.

#include <sys/types.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

namespace pelmora::rig {

// A loopback port that was free a moment ago.
int freeLoopbackPort();
// Whether something accepts connections on the loopback port within the time.
bool waitForPort(int port, std::chrono::milliseconds within);
// A new folder under the system's temporary folder.
std::filesystem::path scratchDir(const std::string& tag);
// Runs a program to its end, its output appended to log; returns its exit status (-1 when it could not run).
int runToEnd(const std::vector<std::string>& argv, const std::filesystem::path& log);

// A program running in the background, its output appended to a log file.
// Stopped (SIGTERM, then SIGKILL) when destroyed.
class ChildProcess {
public:
    ChildProcess() = default;
    ChildProcess(const std::vector<std::string>& argv, const std::filesystem::path& log);
    ~ChildProcess();
    ChildProcess(ChildProcess&& other) noexcept;
    ChildProcess& operator=(ChildProcess&& other) noexcept;

    pid_t pid() const { return pid_; }
    bool running();
    void signal(int sig);
    // Waits for the end; the exit status, or -1 when it has not ended in time.
    int wait(std::chrono::milliseconds within);
    // SIGTERM, a wait, then SIGKILL if needed.
    void stop(std::chrono::milliseconds grace = std::chrono::seconds(10));

private:
    pid_t pid_ = -1;
    int status_ = -1;
};

// pelmora-server as its own process on a loopback port.
class ServerProcess {
public:
    // storage is "--data DIR" or "--database CONNINFO" as two arguments, plus any others.
    ServerProcess(const std::string& binary, int port, const std::vector<std::string>& args,
                  const std::filesystem::path& log);
    int port() const { return port_; }
    ChildProcess& process() { return process_; }
    // Stops with SIGTERM and starts the same command again on the same port.
    void restart();

private:
    void start();
    std::vector<std::string> argv_;
    std::filesystem::path log_;
    int port_;
    ChildProcess process_;
};

}  // namespace pelmora::rig
