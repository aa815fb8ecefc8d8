// Floating-point set-up made before anything else runs.
#pragma once

// Round to nearest (ties to even) and every floating-point exception masked,
// for the whole run: divisions by zero give infinities, invalid operations
// give NaNs, nothing traps. Intermediates the program wants wider than float
// are written as double in the code itself.
void initFloatingPoint();
