#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace scene {

// Installs handlers for processor faults (SIGSEGV, SIGBUS, SIGFPE, SIGILL) on
// an alternate stack. A fault appends one line to logPath (made with its
// missing folders when needed; a relative path is taken from the working
// directory at the time of the fault; an empty one writes nothing):
//   "Exception: " code " at " address " " module@section:offset " " N
//   " record in stack: " N times (module@section:offset " ; ") "\n"
// with the code (the signal number) and counts in lower-case hexadecimal and
// the address as 16 upper-case digits, then lets the default action end the process.
void installCrashLogger(const char* logPath = "Pelmora.pml");

// Collects the loaded modules' address ranges and paths, which the fault
// handler looks addresses up in (it may not ask the dynamic loader). Done by
// installCrashLogger; call again after libraries were loaded later.
void refreshCrashModules();

// Adds a module the loader does not report (or reports under another path);
// added modules are looked up first. False when the table is full.
bool addCrashModule(const char* path, std::uintptr_t start, std::uintptr_t end, std::uintptr_t base);
void clearAddedCrashModules();

// Longest record: the header and 32 locations, each with a module path of up
// to 511 bytes and two hexadecimal numbers.
inline constexpr std::size_t kCrashRecordMax = 64 + 32 * (511 + 1 + 16 + 1 + 16 + 3) + 1;

// Formats one record into out, always ending with its line break (entries are
// cut first when out is too small). Returns the number of bytes written.
std::size_t formatCrashRecord(int sig, std::uintptr_t pc, const std::uintptr_t* returns, int count, char* out,
                              std::size_t size);

// Where an address lies: the module file, the 1-based ELF section index and
// the offset inside that section. False when the address is in no module or
// no section (or in a module collected before the last refresh). Safe to call
// from the fault handler.
bool moduleSectionOffset(std::uintptr_t address, char* path, std::size_t pathSize, unsigned* section,
                         std::uintptr_t* offset);

}  // namespace scene
