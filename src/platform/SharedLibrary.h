#pragma once

// Private to the display layer: a shared library opened by name when first
// needed. Sound and the online service use libraries with large dependency
// trees (codecs, TLS, LDAP, ...); linked at build time, the dynamic loader
// maps and relocates all of them before the first frame, whether or not the
// player ever hears an effect or reaches the service.

#include <dlfcn.h>

#include <string>

namespace scene::detail {

// Every member is for the main thread only.
class SharedLibrary {
public:
    // Opens soname (it stays loaded for the rest of the process), after
    // waiting for its preload if one runs. On failure, says so once on
    // standard error with what it was needed for.
    SharedLibrary(const char* soname, const char* neededFor);
    SharedLibrary(const SharedLibrary&) = delete;
    SharedLibrary& operator=(const SharedLibrary&) = delete;

    // Sets fn to the library's function name; on failure fn is null, the
    // library counts as unusable and the first missing name is reported.
    template <class F>
    void bind(F& fn, const char* name) {
        fn = handle_ ? reinterpret_cast<F>(dlsym(handle_, name)) : nullptr;
        if (!fn) missing(name);
    }

    // Whether it opened and every bound function was found.
    bool usable() const { return handle_ != nullptr && !failed_; }

    // Loads soname and its dependencies on a thread of its own while the
    // caller goes on, once per name; a failure is left for the SharedLibrary
    // made afterwards to report.
    static void preload(const char* soname);
    // Whether making the SharedLibrary of soname would not wait: its preload
    // has ended, or none was started.
    static bool preloaded(const char* soname);

private:
    void missing(const char* name);

    std::string soname_;
    std::string neededFor_;
    void* handle_ = nullptr;
    bool failed_ = false;
};

}  // namespace scene::detail
