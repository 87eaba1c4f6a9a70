#include "platform/CrashLog.h"

#include <dlfcn.h>
#include <elf.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/syscall.h>
#include <sys/uio.h>
#include <ucontext.h>
#include <unistd.h>

#include <cstring>

namespace scene {

namespace {

constexpr int kMaxRecords = 31;
char logPathBuffer[512] = "Pelmora.pml";
char exePath[512] = "";
std::uintptr_t exeBase = 0;
alignas(16) unsigned char altStack[64 * 1024];

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

// A fixed buffer the fault handler formats into without allocating.
struct Line {
    char text[8192];
    std::size_t len = 0;
    void put(const char* s) {
        while (*s && len + 1 < sizeof text) text[len++] = *s++;
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
        while (n > 0 && len + 1 < sizeof text) text[len++] = digits[--n];
    }
    void location(std::uintptr_t address) {
        char path[512];
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
};

Line line;

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
    line.len = 0;
    line.put("Exception: ");
    line.hex(static_cast<std::uintptr_t>(sig), false, 0);
    line.put(" at ");
    line.hex(pc, true, 2 * sizeof(std::uintptr_t));
    line.put(" ");
    line.location(pc);

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
    line.put(" ");
    line.hex(static_cast<std::uintptr_t>(n), false, 0);
    line.put(" record in stack: ");
    for (int k = 0; k < n; ++k) {
        line.location(returns[k]);
        line.put(" ; ");
    }
    line.put("\n");

    const int fd = open(logPathBuffer, O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
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

bool moduleSectionOffset(std::uintptr_t address, char* path, std::size_t pathSize, unsigned* section,
                         std::uintptr_t* offset) {
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(address), &info) == 0 || !info.dli_fbase) return false;
    const auto base = reinterpret_cast<std::uintptr_t>(info.dli_fbase);
    const char* file = info.dli_fname;
    if (base == exeBase && exePath[0]) file = exePath;
    if (!file || !file[0]) return false;
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

void installCrashLogger(const char* logPath) {
    std::strncpy(logPathBuffer, logPath, sizeof logPathBuffer - 1);
    const ssize_t n = readlink("/proc/self/exe", exePath, sizeof exePath - 1);
    exePath[n > 0 ? n : 0] = '\0';
    Dl_info self{};
    if (dladdr(reinterpret_cast<void*>(&installCrashLogger), &self) && self.dli_fbase) {
        exeBase = reinterpret_cast<std::uintptr_t>(self.dli_fbase);
    }
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
