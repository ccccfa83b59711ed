// A header of folder beta that needs folder alpha: a cycle.
#include "alpha/one.h"
