#include "ServiceRig.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>
#include <pwd.h>
#include <sys/stat.h>

#include <libpq-fe.h>

#include <fstream>
#include <sstream>

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

PortReservation::PortReservation() : fd_(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0)) {
    const int yes = 1;
    sockaddr_in a = loopback(0);
    socklen_t len = sizeof a;
    if (fd_ < 0 || ::setsockopt(fd_, SOL_SOCKET, SO_REUSEPORT, &yes, sizeof yes) != 0 ||
        ::bind(fd_, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 ||
        ::getsockname(fd_, reinterpret_cast<sockaddr*>(&a), &len) != 0) {
        if (fd_ >= 0) ::close(fd_);
        throw std::runtime_error("no loopback port to reserve");
    }
    port_ = ntohs(a.sin_port);
}

PortReservation::~PortReservation() { ::close(fd_); }

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

namespace {

// Ready once it accepts connections; a busy machine may take long to get
// there, but a process that has ended will never listen.
bool waitUntilListening(ChildProcess& process, int port) {
    const auto until = std::chrono::steady_clock::now() + ServerProcess::START_LIMIT;
    while (!waitForPort(port, std::chrono::milliseconds(200))) {
        if (!process.running() || std::chrono::steady_clock::now() >= until) return false;
    }
    return true;
}

}  // namespace

void ServerProcess::start() {
    process_ = ChildProcess(argv_, log_);
    if (!waitUntilListening(process_, port_))
        throw std::runtime_error("pelmora-server did not start on port " + std::to_string(port_) + "; see " +
                                 log_.string());
}

void ServerProcess::restart() {
    process_.stop();
    start();
}

namespace {

// The newest PostgreSQL server programs installed (Debian keeps them out of PATH).
std::filesystem::path postgresBin() {
    std::filesystem::path best;
    int bestVersion = -1;
    std::error_code ec;
    for (const auto& e : std::filesystem::directory_iterator("/usr/lib/postgresql", ec)) {
        const int v = std::atoi(e.path().filename().c_str());
        if (v > bestVersion && std::filesystem::exists(e.path() / "bin" / "initdb")) {
            bestVersion = v;
            best = e.path() / "bin";
        }
    }
    if (best.empty()) throw std::runtime_error("PostgreSQL server programs not found (scripts/install-deps installs them)");
    return best;
}

std::string readText(const std::filesystem::path& path) {
    std::ifstream in(path);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

void replaceAll(std::string& text, const std::string& from, const std::string& to) {
    for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
}

}  // namespace

PostgresCluster::PostgresCluster() : dir_(scratchDir("pg")), bin_(postgresBin()) {
    try {
        if (::geteuid() == 0) {
            const passwd* pw = ::getpwnam("postgres");
            if (!pw) throw std::runtime_error("no postgres user to run PostgreSQL as");
            if (::chown(dir_.c_str(), pw->pw_uid, pw->pw_gid) != 0)
                throw std::runtime_error("cannot hand " + dir_.string() + " to postgres");
        }
        const auto log = dir_ / "setup.log";
        if (runToEnd(asOwner({(bin_ / "initdb").string(), "-D", (dir_ / "data").string(), "-U", "postgres", "-A",
                              "trust", "-E", "UTF8", "--locale=C", "--no-sync"}),
                     log) != 0)
            throw std::runtime_error("initdb failed: " + readText(log));
        port_ = freeLoopbackPort();
        const std::string options = "-k " + dir_.string() + " -p " + std::to_string(port_) +
                                    " -c listen_addresses='' -c max_connections=300 -c synchronous_commit=off";
        if (runToEnd(asOwner({(bin_ / "pg_ctl").string(), "-D", (dir_ / "data").string(), "-l",
                              (dir_ / "postgres.log").string(), "-w", "-t", "60", "-o", options, "start"}),
                     log) != 0)
            throw std::runtime_error("PostgreSQL did not start: " + readText(log) + readText(dir_ / "postgres.log"));
        started_ = true;
        createDatabase("pelmora");
    } catch (...) {
        shutDown();
        throw;
    }
}

PostgresCluster::~PostgresCluster() { shutDown(); }

void PostgresCluster::shutDown() {
    if (started_)
        runToEnd(asOwner({(bin_ / "pg_ctl").string(), "-D", (dir_ / "data").string(), "-m", "immediate", "-w",
                          "stop"}),
                 "/dev/null");
    started_ = false;
    std::error_code ec;
    std::filesystem::remove_all(dir_, ec);
}

std::vector<std::string> PostgresCluster::asOwner(std::vector<std::string> argv) const {
    if (::geteuid() == 0) argv.insert(argv.begin(), {"runuser", "-u", "postgres", "--"});
    return argv;
}

std::string PostgresCluster::conninfo(const std::string& database) const {
    return "host=" + dir_.string() + " port=" + std::to_string(port_) + " user=postgres dbname=" + database;
}

std::string PostgresCluster::createDatabase(const std::string& name) {
    PGconn* c = PQconnectdb(conninfo("postgres").c_str());
    std::string error;
    if (PQstatus(c) != CONNECTION_OK) {
        error = PQerrorMessage(c);
    } else {
        PGresult* r = PQexec(c, ("CREATE DATABASE \"" + name + "\"").c_str());
        if (PQresultStatus(r) != PGRES_COMMAND_OK) error = PQresultErrorMessage(r);
        PQclear(r);
    }
    PQfinish(c);
    if (!error.empty()) throw std::runtime_error("cannot create database " + name + ": " + error);
    return conninfo(name);
}

NginxFront::NginxFront(const std::filesystem::path& site, int port, const std::vector<int>& backends,
                       const std::filesystem::path& dir)
    : port_(port), pages_(scratchDir("nginx-pages")) {
    ::chmod(pages_.c_str(), 0777);
    std::string text = readText(site);
    if (text.empty()) throw std::runtime_error("cannot read " + site.string());
    replaceAll(text, "listen 127.0.0.1:8080;", "listen 127.0.0.1:" + std::to_string(port) + " reuseport;");
    for (std::size_t i = 0; i < backends.size(); ++i)
        replaceAll(text, "127.0.0.1:" + std::to_string(8081 + i), "127.0.0.1:" + std::to_string(backends[i]));
    std::filesystem::create_directories(dir);
    const std::string d = dir.string();
    replaceAll(text, "/var/lib/nginx/pelmora-pages", pages_.string());
    std::ofstream(dir / "site.conf") << text;
    // Worker processes run as an unprivileged user when started by root.
    for (const char* temp : {"body", "proxy", "fastcgi", "uwsgi", "scgi"}) {
        std::filesystem::create_directories(dir / temp);
        ::chmod((dir / temp).c_str(), 0777);
    }
    ::chmod(d.c_str(), 0755);
    std::ofstream(dir / "nginx.conf") << "daemon off;\nworker_processes auto;\npid " << d << "/nginx.pid;\nerror_log " << d
                                      << "/error.log;\nevents { worker_connections 1024; }\nhttp {\n  access_log off;\n"
                                      << "  client_body_temp_path " << d << "/body;\n  proxy_temp_path " << d
                                      << "/proxy;\n  fastcgi_temp_path " << d << "/fastcgi;\n  uwsgi_temp_path " << d
                                      << "/uwsgi;\n  scgi_temp_path " << d << "/scgi;\n  include " << d
                                      << "/site.conf;\n}\n";
    const std::string nginx = std::filesystem::exists("/usr/sbin/nginx") ? "/usr/sbin/nginx" : "nginx";
    process_ = ChildProcess({nginx, "-p", d, "-c", d + "/nginx.conf", "-e", d + "/error.log"}, dir / "nginx.out");
    if (!waitUntilListening(process_, port)) {
        process_.stop();
        std::filesystem::remove_all(pages_);
        throw std::runtime_error("nginx did not start: " + readText(dir / "error.log") + readText(dir / "nginx.out"));
    }
}

NginxFront::~NginxFront() {
    process_.stop();
    std::error_code ec;
    std::filesystem::remove_all(pages_, ec);
}

}  // namespace pelmora::rig
