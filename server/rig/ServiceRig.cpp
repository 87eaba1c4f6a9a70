#include "ServiceRig.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <stdexcept>
#include <thread>

extern char** environ;

namespace pelmora::rig {

namespace {

sockaddr_in loopback(int port) {
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(static_cast<std::uint16_t>(port));
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return a;
}

pid_t spawn(const std::vector<std::string>& argv, const std::filesystem::path& log) {
    std::vector<char*> args;
    for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    // The child starts with no blocked signals, whatever this thread blocks.
    posix_spawnattr_t attr;
    posix_spawnattr_init(&attr);
    sigset_t none;
    sigemptyset(&none);
    posix_spawnattr_setsigmask(&attr, &none);
    posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSIGMASK);
    pid_t pid = -1;
    const int rc = posix_spawnp(&pid, args[0], &actions, &attr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attr);
    if (rc != 0) throw std::runtime_error("cannot start " + argv[0]);
    return pid;
}

}  // namespace

int freeLoopbackPort() {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a = loopback(0);
    socklen_t len = sizeof a;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 ||
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len) != 0) {
        ::close(fd);
        throw std::runtime_error("no free loopback port");
    }
    ::close(fd);
    return ntohs(a.sin_port);
}

bool waitForPort(int port, std::chrono::milliseconds within) {
    const auto until = std::chrono::steady_clock::now() + within;
    do {
        const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in a = loopback(port);
        const bool ok = ::connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
        ::close(fd);
        if (ok) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    } while (std::chrono::steady_clock::now() < until);
    return false;
}

std::filesystem::path scratchDir(const std::string& tag) {
    std::string templ = (std::filesystem::temp_directory_path() / ("pelmora-" + tag + "-XXXXXX")).string();
    if (!mkdtemp(templ.data())) throw std::runtime_error("cannot make a temporary folder");
    return templ;
}

int runToEnd(const std::vector<std::string>& argv, const std::filesystem::path& log) {
    try {
        ChildProcess p(argv, log);
        return p.wait(std::chrono::minutes(2));
    } catch (const std::exception&) {
        return -1;
    }
}

ChildProcess::ChildProcess(const std::vector<std::string>& argv, const std::filesystem::path& log)
    : pid_(spawn(argv, log)) {}

ChildProcess::~ChildProcess() { stop(); }

ChildProcess::ChildProcess(ChildProcess&& other) noexcept : pid_(other.pid_), status_(other.status_) {
    other.pid_ = -1;
}

ChildProcess& ChildProcess::operator=(ChildProcess&& other) noexcept {
    if (this != &other) {
        stop();
        pid_ = other.pid_;
        status_ = other.status_;
        other.pid_ = -1;
    }
    return *this;
}

bool ChildProcess::running() { return pid_ > 0 && wait(std::chrono::milliseconds(0)) == -1; }

void ChildProcess::signal(int sig) {
    if (pid_ > 0) ::kill(pid_, sig);
}

int ChildProcess::wait(std::chrono::milliseconds within) {
    if (pid_ <= 0) return status_;
    const auto until = std::chrono::steady_clock::now() + within;
    for (;;) {
        int status = 0;
        if (::waitpid(pid_, &status, WNOHANG) == pid_) {
            pid_ = -1;
            status_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            return status_;
        }
        if (std::chrono::steady_clock::now() >= until) return -1;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

void ChildProcess::stop(std::chrono::milliseconds grace) {
    if (pid_ <= 0) return;
    signal(SIGTERM);
    if (wait(grace) == -1) {
        signal(SIGKILL);
        wait(std::chrono::seconds(10));
    }
}

ServerProcess::ServerProcess(const std::string& binary, int port, const std::vector<std::string>& args,
                             const std::filesystem::path& log)
    : log_(log), port_(port) {
    argv_ = {binary, "--host", "127.0.0.1", "--port", std::to_string(port)};
    argv_.insert(argv_.end(), args.begin(), args.end());
    start();
}

void ServerProcess::start() {
    process_ = ChildProcess(argv_, log_);
    if (!waitForPort(port_, std::chrono::seconds(30)))
        throw std::runtime_error("pelmora-server did not start on port " + std::to_string(port_) + "; see " +
                                 log_.string());
}

void ServerProcess::restart() {
    process_.stop();
    start();
}

}  // namespace pelmora::rig
