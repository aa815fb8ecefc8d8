// Floating-point set-up made before anything else runs.
#include "runtime/floating_point.h"

#include <cfenv>

void initFloatingPoint()
{
    // The default environment has every exception masked and rounds to
    // nearest; restore it in case the process inherited something else.
    std::fesetenv(FE_DFL_ENV);
    std::fesetround(FE_TONEAREST);
    std::feclearexcept(FE_ALL_EXCEPT);
}
