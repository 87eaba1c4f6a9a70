#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace scene {

// Installs handlers for processor faults (SIGSEGV, SIGBUS, SIGFPE, SIGILL) on
// an alternate stack. A fault appends one line to logPath (relative to the
// working directory at the time of the fault):
//   "Exception: " code " at " address " " module@section:offset " " N
//   " record in stack: " N times (module@section:offset " ; ") "\n"
// with the code (the signal number) and counts in lower-case hexadecimal and
// the address as 16 upper-case digits, then lets the default action end the process.
void installCrashLogger(const char* logPath = "Pelmora.pml");

// Where an address lies: the module file, the 1-based ELF section index and
// the offset inside that section. False when the address is in no module or
// no section. Safe to call from the fault handler.
bool moduleSectionOffset(std::uintptr_t address, char* path, std::size_t pathSize, unsigned* section,
                         std::uintptr_t* offset);

}  // namespace scene
