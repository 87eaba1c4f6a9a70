#pragma once

// Real parts for tests and the load tool: pelmora-server processes, a
// throwaway PostgreSQL cluster and nginx, all on loopback.

#include <sys/types.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

namespace pelmora::rig {

// A loopback port that was free a moment ago. Anyone may take it before it is
// used: a process that must listen there later wants a PortReservation.
int freeLoopbackPort();

// A loopback port kept out of everyone else's hands while this object lives:
// bound with SO_REUSEPORT and never listening. No bind to port 0 and no
// outgoing connection gets it, so the only listener there can be a process of
// the same user binding this very port with SO_REUSEPORT (pelmora-server does;
// NginxFront asks nginx to). A server restarted on it finds it free.
class PortReservation {
public:
    PortReservation();
    ~PortReservation();
    PortReservation(const PortReservation&) = delete;
    PortReservation& operator=(const PortReservation&) = delete;
    int port() const { return port_; }

private:
    int fd_ = -1;
    int port_ = 0;
};

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
    // Longest wait for a started process to listen; one that exits before is reported at once.
    static constexpr std::chrono::seconds START_LIMIT{120};

private:
    void start();
    std::vector<std::string> argv_;
    std::filesystem::path log_;
    int port_;
    ChildProcess process_;
};

// A PostgreSQL cluster of its own in a temporary folder, reached through a
// socket in that folder on its own port; started as the "postgres" user when
// run as root (PostgreSQL refuses root). Stopped and removed when destroyed.
class PostgresCluster {
public:
    PostgresCluster();
    ~PostgresCluster();
    PostgresCluster(const PostgresCluster&) = delete;
    PostgresCluster& operator=(const PostgresCluster&) = delete;

    // A libpq connection string for a database of the cluster.
    std::string conninfo(const std::string& database) const;
    // Creates an empty database and returns its connection string.
    std::string createDatabase(const std::string& name);
    const std::filesystem::path& dir() const { return dir_; }

private:
    std::vector<std::string> asOwner(std::vector<std::string> argv) const;
    void shutDown();
    std::filesystem::path dir_;
    std::filesystem::path bin_;
    int port_ = 0;
    bool started_ = false;
};

// nginx on a loopback port in front of service processes, configured by an
// nginx site file whose upstream lists 127.0.0.1:8081, 127.0.0.1:8082 ...
// and which listens on 127.0.0.1:8080: those are replaced by the given ports,
// and nginx listens with SO_REUSEPORT, so that a PortReservation's port suits.
class NginxFront {
public:
    NginxFront(const std::filesystem::path& site, int port, const std::vector<int>& backends,
               const std::filesystem::path& dir);
    ~NginxFront();
    NginxFront(const NginxFront&) = delete;
    NginxFront& operator=(const NginxFront&) = delete;
    int port() const { return port_; }

private:
    int port_;
    // nginx's page cache: a folder of its own that the unprivileged workers
    // can reach (dir may lie in a folder only its owner may enter).
    std::filesystem::path pages_;
    ChildProcess process_;
};

}  // namespace pelmora::rig
