// The end of the program.
#include "runtime/program.h"

#include "runtime/terminal.h"

#include <cstdio>
#include <cstdlib>
#include <new>

void endProgram(std::int32_t status)
{
    std::exit(status);
}

void endProgramAtOnce(std::int32_t status)
{
    restoreTerminal();
    std::_Exit(status);
}

void outOfMemory(const char* what)
{
    std::fprintf(stderr, "tessik: out of memory (%s)\n", what);
    std::exit(EXIT_FAILURE);
}

void reportFailedAllocations()
{
    std::set_new_handler([] { outOfMemory("new"); });
}
