/* msvc_start.c: start-up of the consumer built for Microsoft's ABI, which
 * links no C runtime library of its own: msvcrt.dll splits the command line,
 * then main runs and exit() flushes stdout. */
#include <stdlib.h>

int main(int argc, char** argv);
int __cdecl __getmainargs(int* argc, char*** argv, char*** env, int expand, int* startInfo);

void mainCRTStartup(void) {
    int argc = 0;
    char** argv = NULL;
    char** env = NULL;
    int startInfo = 0;
    __getmainargs(&argc, &argv, &env, 0, &startInfo);
    exit(main(argc, argv));
}
