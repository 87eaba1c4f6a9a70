#include "platform/CrashLog.h"

#include <elf.h>
#include <link.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/uio.h>
#include <ucontext.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>

namespace scene {

namespace {

constexpr int kMaxRecords = 31;
constexpr std::size_t kPathMax = 512;
char logPathBuffer[kPathMax] = "Pelmora.pml";
alignas(16) unsigned char altStack[64 * 1024];

// The loaded modules, collected outside the handler: dladdr and
// dl_iterate_phdr take the dynamic loader's lock, which the faulting thread
// may hold. Two tables, so a refresh never changes the one being read.
struct Module {
    std::uintptr_t start = 0;
    std::uintptr_t end = 0;
    std::uintptr_t base = 0;
    char path[kPathMax] = "";
};
constexpr int kMaxModules = 256;
struct ModuleTable {
    Module modules[kMaxModules];
    int count = 0;
};
ModuleTable tables[2];
std::atomic<int> current{0};
// Modules added by hand come first and survive refreshes.
ModuleTable extra;

void copyPath(char* out, const char* in) {
    std::size_t i = 0;
    for (; in && in[i] && i + 1 < kPathMax; ++i) out[i] = in[i];
    out[i] = '\0';
}

int collectModule(dl_phdr_info* info, std::size_t, void* data) {
    auto* table = static_cast<ModuleTable*>(data);
    if (table->count >= kMaxModules) return 1;
    std::uintptr_t lo = UINTPTR_MAX, hi = 0;
    for (int k = 0; k < info->dlpi_phnum; ++k) {
        const auto& ph = info->dlpi_phdr[k];
        if (ph.p_type != PT_LOAD) continue;
        lo = std::min<std::uintptr_t>(lo, info->dlpi_addr + ph.p_vaddr);
        hi = std::max<std::uintptr_t>(hi, info->dlpi_addr + ph.p_vaddr + ph.p_memsz);
    }
    if (lo >= hi) return 0;
    Module& m = table->modules[table->count];
    m.start = lo;
    m.end = hi;
    m.base = info->dlpi_addr;
    // The main program has no name here; its file is /proc/self/exe.
    if (info->dlpi_name && info->dlpi_name[0]) {
        copyPath(m.path, info->dlpi_name);
    } else {
        const ssize_t n = readlink("/proc/self/exe", m.path, kPathMax - 1);
        m.path[n > 0 ? n : 0] = '\0';
    }
    if (m.path[0]) ++table->count;
    return 0;
}

const Module* findModule(std::uintptr_t address) {
    for (int k = 0; k < extra.count; ++k) {
        if (extra.modules[k].start <= address && address < extra.modules[k].end) return &extra.modules[k];
    }
    const ModuleTable& t = tables[current.load(std::memory_order_acquire)];
    for (int k = 0; k < t.count; ++k) {
        if (t.modules[k].start <= address && address < t.modules[k].end) return &t.modules[k];
    }
    return nullptr;
}

// Copies bytes from our own address space; fails instead of faulting on an unreadable address.
bool readMemory(std::uintptr_t address, void* out, std::size_t size) {
    struct iovec local{out, size};
    struct iovec remote{reinterpret_cast<void*>(address), size};
    const ssize_t n = syscall(SYS_process_vm_readv, getpid(), &local, 1, &remote, 1, 0);
    return n == static_cast<ssize_t>(size);
}

bool readable(std::uintptr_t address, std::size_t size) {
    unsigned char probe[8];
    return size <= sizeof probe && readMemory(address, probe, size);
}

// A fixed buffer the fault handler formats into without allocating. One byte
// is always kept for the closing line break.
struct Line {
    char* text;
    std::size_t size;
    std::size_t len = 0;
    void put(const char* s) {
        while (*s && len + 2 < size) text[len++] = *s++;
    }
    void hex(std::uintptr_t v, bool upper, int width) {
        char digits[2 * sizeof v];
        int n = 0;
        do {
            const int d = static_cast<int>(v & 0xF);
            digits[n++] = static_cast<char>(d < 10 ? '0' + d : (upper ? 'A' : 'a') + d - 10);
            v >>= 4;
        } while (v != 0 && n < static_cast<int>(sizeof digits));
        while (n < width && n < static_cast<int>(sizeof digits)) digits[n++] = '0';
        while (n > 0 && len + 2 < size) text[len++] = digits[--n];
    }
    void location(std::uintptr_t address) {
        char path[kPathMax];
        unsigned section = 0;
        std::uintptr_t offset = 0;
        if (moduleSectionOffset(address, path, sizeof path, &section, &offset)) {
            put(path);
            put("@");
            hex(section, false, 0);
            put(":");
            hex(offset, false, 0);
        } else {
            // In no module or no section: the raw address stands in.
            put("?@0:");
            hex(address, false, 0);
        }
    }
    void end() {
        if (size > 0) text[len++] = '\n';
    }
};

char recordBuffer[kCrashRecordMax];
char folderBuffer[kPathMax];

// Makes the log's missing folders with mkdir alone, which is safe in a signal handler.
void makeLogFolders() {
    std::size_t i = 0;
    for (; logPathBuffer[i] && i + 1 < kPathMax; ++i) {
        folderBuffer[i] = logPathBuffer[i];
        if (logPathBuffer[i] == '/' && i > 0) {
            folderBuffer[i] = '\0';
            mkdir(folderBuffer, 0700);
            folderBuffer[i] = '/';
        }
    }
}

void onFault(int sig, siginfo_t*, void* context) {
    const auto* uc = static_cast<const ucontext_t*>(context);
#if defined(__x86_64__)
    const auto pc = static_cast<std::uintptr_t>(uc->uc_mcontext.gregs[REG_RIP]);
    const auto fp = static_cast<std::uintptr_t>(uc->uc_mcontext.gregs[REG_RBP]);
#elif defined(__aarch64__)
    const auto pc = static_cast<std::uintptr_t>(uc->uc_mcontext.pc);
    const auto fp = static_cast<std::uintptr_t>(uc->uc_mcontext.regs[29]);
#else
    const std::uintptr_t pc = 0, fp = 0;
    (void)uc;
#endif
    // Walk saved frame pointers: f(k+1) is stored at f(k), the return address just after it.
    std::uintptr_t returns[kMaxRecords];
    int n = 0;
    std::uintptr_t frame = fp;
    while (n < kMaxRecords) {
        std::uintptr_t next = 0, ret = 0;
        if (!readMemory(frame, &next, sizeof next)) break;
        if (!readable(next, sizeof next)) break;
        if (!readMemory(frame + sizeof(std::uintptr_t), &ret, sizeof ret)) break;
        returns[n++] = ret;
        frame = next;
    }
    const std::size_t len = formatCrashRecord(sig, pc, returns, n, recordBuffer, sizeof recordBuffer);
    Line line{recordBuffer, sizeof recordBuffer, len};
    int fd = open(logPathBuffer, O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
    if (fd < 0 && errno == ENOENT) {
        makeLogFolders();
        fd = open(logPathBuffer, O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
    }
    if (fd >= 0) {
        std::size_t done = 0;
        while (done < line.len) {
            const ssize_t w = write(fd, line.text + done, line.len - done);
            if (w <= 0) break;
            done += static_cast<std::size_t>(w);
        }
        close(fd);
    }
    // Let the default action end the process.
    signal(sig, SIG_DFL);
    raise(sig);
}

}  // namespace

std::size_t formatCrashRecord(int sig, std::uintptr_t pc, const std::uintptr_t* returns, int count, char* out,
                              std::size_t size) {
    if (size < 2) return 0;
    Line line{out, size};
    line.put("Exception: ");
    line.hex(static_cast<std::uintptr_t>(sig), false, 0);
    line.put(" at ");
    line.hex(pc, true, 2 * sizeof(std::uintptr_t));
    line.put(" ");
    line.location(pc);
    line.put(" ");
    line.hex(static_cast<std::uintptr_t>(count), false, 0);
    line.put(" record in stack: ");
    for (int k = 0; k < count; ++k) {
        line.location(returns[k]);
        line.put(" ; ");
    }
    line.end();
    return line.len;
}

bool moduleSectionOffset(std::uintptr_t address, char* path, std::size_t pathSize, unsigned* section,
                         std::uintptr_t* offset) {
    const Module* m = findModule(address);
    if (!m) return false;
    const std::uintptr_t base = m->base;
    const char* file = m->path;
    std::size_t i = 0;
    for (; file[i] && i + 1 < pathSize; ++i) path[i] = file[i];
    path[i] = '\0';

    const int fd = open(file, O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    bool found = false;
    Elf64_Ehdr eh{};
    if (pread(fd, &eh, sizeof eh, 0) == static_cast<ssize_t>(sizeof eh) && std::memcmp(eh.e_ident, ELFMAG, SELFMAG) == 0 &&
        eh.e_ident[EI_CLASS] == ELFCLASS64 && eh.e_shentsize == sizeof(Elf64_Shdr)) {
        // Executables have absolute section addresses; shared objects and PIEs are relative to their base.
        const std::uintptr_t rel = eh.e_type == ET_EXEC ? address : address - base;
        for (unsigned k = 1; k < eh.e_shnum && !found; ++k) {
            Elf64_Shdr sh{};
            const off_t at = static_cast<off_t>(eh.e_shoff + static_cast<std::uint64_t>(k) * sizeof sh);
            if (pread(fd, &sh, sizeof sh, at) != static_cast<ssize_t>(sizeof sh)) break;
            if (!(sh.sh_flags & SHF_ALLOC) || sh.sh_addr == 0) continue;
            if (sh.sh_addr <= rel && rel <= sh.sh_addr + sh.sh_size) {
                *section = k;
                *offset = rel - sh.sh_addr;
                found = true;
            }
        }
    }
    close(fd);
    return found;
}

void refreshCrashModules() {
    const int next = 1 - current.load(std::memory_order_relaxed);
    tables[next].count = 0;
    dl_iterate_phdr(&collectModule, &tables[next]);
    current.store(next, std::memory_order_release);
}

bool addCrashModule(const char* path, std::uintptr_t start, std::uintptr_t end, std::uintptr_t base) {
    if (extra.count >= kMaxModules || !path || !path[0] || start >= end) return false;
    Module& m = extra.modules[extra.count];
    m.start = start;
    m.end = end;
    m.base = base;
    copyPath(m.path, path);
    ++extra.count;
    return true;
}

void clearAddedCrashModules() { extra.count = 0; }

void installCrashLogger(const char* logPath) {
    // The path is copied now: the handler may not allocate or ask the environment.
    std::strncpy(logPathBuffer, logPath ? logPath : "", sizeof logPathBuffer - 1);
    refreshCrashModules();
    stack_t ss{};
    ss.ss_sp = altStack;
    ss.ss_size = sizeof altStack;
    sigaltstack(&ss, nullptr);
    struct sigaction sa{};
    sa.sa_sigaction = &onFault;
    sa.sa_flags = SA_SIGINFO | SA_ONSTACK | SA_RESETHAND;
    sigemptyset(&sa.sa_mask);
    for (int sig : {SIGSEGV, SIGBUS, SIGFPE, SIGILL}) sigaction(sig, &sa, nullptr);
}

}  // namespace scene
