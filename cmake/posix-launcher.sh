#!/bin/sh
# Compiler/linker launcher for test programs of the 32-bit build: runs the
# -posix variant of the compiler that CMake chose (GoogleTest needs std::mutex,
# which the win32 thread model lacks).
compiler=$1
shift
exec "${compiler}-posix" "$@"
