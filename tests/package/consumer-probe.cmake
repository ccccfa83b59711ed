# Injected into examples/consumer by the package tests (CMAKE_PROJECT_INCLUDE):
# adds QVR_PROBE_SOURCES to the consumer: a C file that takes the address of
# every export of the installed lib/qvrdll32.def, so that the consumer's link
# and load cover the whole import library (and the header in C as well as
# C++), and for Microsoft's ABI the start-up code.
enable_language(C)
cmake_language(DEFER CALL target_sources consumer PRIVATE ${QVR_PROBE_SOURCES})
