// The entry point of the demonstration.
#include "app/demo.h"
#include "runtime/floating_point.h"
#include "runtime/keys.h"
#include "runtime/program.h"

int main()
{
    initFloatingPoint();
    reportFailedAllocations();
    startKeyInput();
    runDemo();
    endProgram(0);
}
