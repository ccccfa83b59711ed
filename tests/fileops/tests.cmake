qvr_add_test(file_io_test SOURCES fileops/file_io_test.cpp)
qvr_add_test(path_test SOURCES fileops/path_helpers_test.cpp)

# The double-byte tests again with ANSI code page 932 (from LC_ALL); Wine needs
# the Unix locale for such file names, generated here and found by LOCPATH.
find_program(QVR_LOCALEDEF localedef)
if(QVR_LOCALEDEF AND EXISTS /usr/share/i18n/locales/ja_JP)
    set(QVR_LOCALE_DIR ${CMAKE_BINARY_DIR}/locale)
    add_custom_command(
        OUTPUT ${QVR_LOCALE_DIR}/ja_JP.UTF-8/LC_CTYPE
        COMMAND ${CMAKE_COMMAND} -E make_directory ${QVR_LOCALE_DIR}
        COMMAND ${QVR_LOCALEDEF} -i ja_JP -f UTF-8 ${QVR_LOCALE_DIR}/ja_JP.UTF-8
        COMMENT "Generating the ja_JP.UTF-8 locale for the code page 932 tests"
        VERBATIM)
    add_custom_target(qvr_locale_ja ALL DEPENDS ${QVR_LOCALE_DIR}/ja_JP.UTF-8/LC_CTYPE)
    if(QVR_32BIT)
        set(cp932_test qvr_tests32_cp932)
        add_test(NAME ${cp932_test} COMMAND qvr_tests32 --gtest_filter=DoubleByte*)
    else()
        set(cp932_test path_test_cp932)
        add_test(NAME ${cp932_test} COMMAND path_test --gtest_filter=DoubleByte*)
    endif()
    set_tests_properties(${cp932_test} PROPERTIES COST 100 ENVIRONMENT
        "LOCPATH=${QVR_LOCALE_DIR};LC_ALL=ja_JP.UTF-8;QVR_EXPECT_ACP=932")
else()
    message(WARNING "localedef or the ja_JP locale source (package locales) is missing: "
                    "the code page 932 tests do not run")
endif()

# Work put off to the restart, once per platform. Every program that schedules
# restart work shares the prefix's restart state and takes this lock.
qvr_add_test(deferred_ops_test SOURCES fileops/deferred_ops_test.cpp VERSIONS win95 win31 nt40
             LOCKS qvr_restart_state)

# Copying, deleting and tree operations, with a compressed sample made beside
# the programs in lzdata\ by mscompress.
qvr_add_test(copy_tree_test SOURCES fileops/copy_tree_test.cpp
             LOCKS qvr_restart_state)
find_program(QVR_MSCOMPRESS mscompress)
if(QVR_MSCOMPRESS)
    set(payload "")
    foreach(i RANGE 1 120)
        string(APPEND payload "Line ${i} of the sample payload: repeated words, repeated words.\r\n")
    endforeach()
    file(WRITE ${CMAKE_CURRENT_BINARY_DIR}/lz_payload.txt "${payload}")
    set(lzdata ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/lzdata)
    add_custom_command(
        OUTPUT ${lzdata}/PAYLOAD.TXT_
        COMMAND ${CMAKE_COMMAND} -E make_directory ${lzdata}
        COMMAND ${CMAKE_COMMAND} -E copy ${CMAKE_CURRENT_BINARY_DIR}/lz_payload.txt
                ${lzdata}/PAYLOAD.TXT
        COMMAND ${CMAKE_COMMAND} -E rm -f ${lzdata}/PAYLOAD.TXT_
        COMMAND ${QVR_MSCOMPRESS} ${lzdata}/PAYLOAD.TXT
        DEPENDS ${CMAKE_CURRENT_BINARY_DIR}/lz_payload.txt
        VERBATIM)
    add_custom_target(qvr_lzdata ALL DEPENDS ${lzdata}/PAYLOAD.TXT_)
else()
    message(WARNING "mscompress is missing: the LZ expansion tests skip themselves")
endif()

# What the tree operations refuse, judged without pointing them at anything
# dangerous, and the test support's guard in front of them.
qvr_add_test(tree_guard_test SOURCES fileops/tree_guard_test.cpp)

# The tree operations pointed at drive roots, the Windows directory and the
# current directory: a program of its own, run only in a throwaway copy of the
# prefix from which nothing leads to the host (cmake/wine-sandbox.sh), as NT,
# Windows 95 and Windows 3.1.
add_executable(tree_refusal_test fileops/tree_refusal_test.cpp
               ${CMAKE_SOURCE_DIR}/src/resources/qvrdll32.rc)
target_link_libraries(tree_refusal_test PRIVATE qvr_test_support)
target_compile_options(tree_refusal_test PRIVATE ${QVR_WARNINGS})
target_link_options(tree_refusal_test PRIVATE -static)
add_dependencies(tree_refusal_test qvrdll32)
add_test(NAME tree_refusal_test
         COMMAND ${CMAKE_SOURCE_DIR}/cmake/wine-sandbox.sh ${QVR_WINE_LOADER} ${QVR_WINE_PREFIX}
                 $<TARGET_FILE:tree_refusal_test> win95 win31)
# COST: the 32-bit suite starts its longest runs first (a fresh machine has
# no timings of its own yet).
set_tests_properties(tree_refusal_test PROPERTIES TIMEOUT 2400 COST 300)
