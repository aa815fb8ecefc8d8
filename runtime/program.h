// The end of the program.
#pragma once

#include <cstddef>
#include <cstdint>

// Ends the process with the given status through the C library's exit, so
// exit handlers run (the terminal is restored) and streams are flushed.
// -1 gives the exit code 255.
[[noreturn]] void endProgram(std::int32_t status);

// Ends the process with the given status after putting the terminal's
// settings back, without the C library's exit handlers and destructors: for
// a program whose display connection has broken, where those handlers would
// call into the dead connection and never return.
[[noreturn]] void endProgramAtOnce(std::int32_t status);

// Reports that memory for `what` could not be obtained and ends the program
// with a non-zero status. Every allocation of the program ends here on
// failure rather than handing on a null pointer.
[[noreturn]] void outOfMemory(const char* what);

// Installs outOfMemory as the handler of failed `new` expressions.
void reportFailedAllocations();
