// native/include/lzexpand.h: the one declaration the shared handle owners
// need (never defined natively).
#pragma once

#include <windows.h>

void LZClose(INT file);
