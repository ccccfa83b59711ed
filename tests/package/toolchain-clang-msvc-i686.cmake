# Microsoft's ABI without Microsoft's tools: clang for i686-pc-windows-msvc
# and lld-link, for the consumer built against lib/qvrdll32.lib.
# There is no Microsoft SDK or C runtime library here. The headers are
# MinGW-w64's, which clang reads in this mode once it reports a GNU version
# (-fgnuc-version) and the target macro _X86_ is set; MinGW's own printf
# wrappers are turned off so that printf comes from msvcrt.dll. The program
# brings its own start-up (msvc_start.c); kernel32, user32 and msvcrt come from
# MinGW's import libraries (passed in CMAKE_CXX_STANDARD_LIBRARIES).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86)
set(CMAKE_C_COMPILER clang)
set(CMAKE_CXX_COMPILER clang++)
set(CMAKE_C_COMPILER_TARGET i686-pc-windows-msvc)
set(CMAKE_CXX_COMPILER_TARGET i686-pc-windows-msvc)
set(CMAKE_LINKER lld-link)
set(CMAKE_TRY_COMPILE_TARGET_TYPE STATIC_LIBRARY)
set(CMAKE_C_FLAGS_INIT
    "-fgnuc-version=4.2.1 -D_X86_ -D__USE_MINGW_ANSI_STDIO=0 -isystem /usr/share/mingw-w64/include")
set(CMAKE_CXX_FLAGS_INIT "${CMAKE_C_FLAGS_INIT}")
# MinGW's import libraries carry no safe exception handler tables.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-fuse-ld=lld-link -Xlinker /nodefaultlib -Xlinker /safeseh:no \
-Xlinker /entry:mainCRTStartup -Xlinker /manifest:no")
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
