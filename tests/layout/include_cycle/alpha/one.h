// A header of folder alpha that needs folder beta.
#include "beta/two.h"
