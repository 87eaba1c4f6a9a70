#include "platform/SharedLibrary.h"

#include <atomic>
#include <cstdio>
#include <map>
#include <memory>
#include <thread>

#include "platform/CrashLog.h"

namespace scene::detail {

namespace {

struct Preload {
    std::atomic<bool> done{false};
    std::jthread thread;
};

// Preloads by name. Their threads are joined at exit at the latest, so none is
// still inside the loader when the process ends.
std::map<std::string, std::unique_ptr<Preload>>& preloads() {
    static std::map<std::string, std::unique_ptr<Preload>> p;
    return p;
}

}  // namespace

void SharedLibrary::preload(const char* soname) {
    auto& slot = preloads()[soname];
    if (slot) return;
    slot = std::make_unique<Preload>();
    // The handle is never closed: the library stays for the SharedLibrary that uses it.
    slot->thread = std::jthread([name = std::string(soname), done = &slot->done] {
        dlopen(name.c_str(), RTLD_NOW | RTLD_LOCAL);
        done->store(true, std::memory_order_release);
    });
}

bool SharedLibrary::preloaded(const char* soname) {
    const auto it = preloads().find(soname);
    return it == preloads().end() || it->second->done.load(std::memory_order_acquire);
}

SharedLibrary::SharedLibrary(const char* soname, const char* neededFor) : soname_(soname), neededFor_(neededFor) {
    const auto it = preloads().find(soname_);
    if (it != preloads().end() && it->second->thread.joinable()) it->second->thread.join();
    handle_ = dlopen(soname, RTLD_NOW | RTLD_LOCAL);
    if (!handle_) {
        failed_ = true;
        std::fprintf(stderr, "Warning : %s: cannot load %s (%s)\n", neededFor, soname, dlerror());
        return;
    }
    // The fault logger looks addresses up in the modules it collected: add these.
    refreshCrashModules();
}

void SharedLibrary::missing(const char* name) {
    if (!failed_) {
        std::fprintf(stderr, "Warning : %s: %s has no %s\n", neededFor_.c_str(), soname_.c_str(), name);
    }
    failed_ = true;
}

}  // namespace scene::detail
