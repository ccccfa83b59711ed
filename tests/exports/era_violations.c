/* A DLL that breaks every rule the shipped DLL is checked for, so that each
   check is seen to fail: built for the Pentium Pro (cmov, fcomi), linked with
   the MinGW C runtime (msvcrt imports, a TLS directory), with a static
   constructor and a wide-character import, and padded past the size ceiling. */
#include <windows.h>

#include <stdio.h>

static volatile char padding[128 * 1024] = {1};

__declspec(dllexport) int Larger(int a, int b) {
    return a > b ? a : b;
}
__declspec(dllexport) int Below(double a, double b) {
    return a < b;
}
__declspec(dllexport) int Show(const char* text) {
    return puts(text) + padding[7];
}
__declspec(dllexport) void* Self(void) {
    return GetModuleHandleW(NULL);
}

__attribute__((constructor)) static void Start(void) {
    padding[1] = 2;
}
