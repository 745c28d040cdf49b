#pragma once

// `part` as a percentage of `whole`: part / whole × 100 + 0.5, truncated toward
// zero, so PercentOf(839, 419) is 50. A zero `whole` gives 0; results beyond
// the int range are clamped to it.
int PercentOf(int whole, int part);
