# The library's own runtime. qvr_core gets the process end; the C and C++
# runtime functions (C names: memcpy, strlen, operator new...) go into
# qvr_runtime, which only the DLL links, and, under qvr_-prefixed names, into
# qvr_runtime_prefixed for the tests that compare them with a real C runtime.
target_sources(qvr_core PRIVATE ${CMAKE_CURRENT_LIST_DIR}/process_end.cpp)

set(QVR_RUNTIME_FUNCTIONS
    ${CMAKE_CURRENT_LIST_DIR}/memory_functions.cpp
    ${CMAKE_CURRENT_LIST_DIR}/string_functions.cpp)
# Loops in these files must stay loops, never become calls to memcpy or memset.
set(QVR_RUNTIME_FLAGS -ffreestanding -fno-builtin -fno-tree-loop-distribute-patterns)

add_library(qvr_runtime STATIC ${QVR_RUNTIME_FUNCTIONS}
    ${CMAKE_CURRENT_LIST_DIR}/heap_new.cpp)
target_include_directories(qvr_runtime PRIVATE ${CMAKE_CURRENT_LIST_DIR}/..)
target_compile_options(qvr_runtime PRIVATE ${QVR_WARNINGS} ${QVR_LIB_FLAGS} ${QVR_RUNTIME_FLAGS})
target_compile_definitions(qvr_runtime PRIVATE WIN32_LEAN_AND_MEAN NOMINMAX)

add_library(qvr_runtime_prefixed STATIC ${QVR_RUNTIME_FUNCTIONS})
target_include_directories(qvr_runtime_prefixed PUBLIC ${CMAKE_CURRENT_LIST_DIR}/..)
target_compile_options(qvr_runtime_prefixed PRIVATE ${QVR_WARNINGS} ${QVR_LIB_FLAGS}
    ${QVR_RUNTIME_FLAGS})
target_compile_definitions(qvr_runtime_prefixed PUBLIC QVR_RUNTIME_PREFIXED)
