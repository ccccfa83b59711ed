qvr_add_test(file_io_test SOURCES fileops/file_io_test.cpp)
qvr_add_test(path_test SOURCES fileops/path_helpers_test.cpp fileops/directory_test.cpp)

# The double-byte tests again, in a process whose ANSI code page is 932. Wine
# takes the code page from LC_ALL alone, but turns such file names into Unix
# ones only when the Unix locale exists: it is generated into the build tree
# (from the locales package) and found through LOCPATH.
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
    add_test(NAME path_test_cp932 COMMAND path_test --gtest_filter=DoubleByte*)
    set_tests_properties(path_test_cp932 PROPERTIES ENVIRONMENT
        "LOCPATH=${QVR_LOCALE_DIR};LC_ALL=ja_JP.UTF-8;QVR_EXPECT_ACP=932")
else()
    message(WARNING "localedef or the ja_JP locale source (package locales) is missing: "
                    "the code page 932 tests do not run")
endif()

# Operations put off to the restart, once per platform. All copies share the
# prefix's restart state (Windows directory files, RunOnce, pending moves):
# they hold one resource lock, which every other test program that schedules
# restart work must take too.
qvr_add_test(deferred_ops_test SOURCES fileops/deferred_ops_test.cpp VERSIONS win95 win31 nt40)
if(NOT QVR_32BIT)
    set_tests_properties(deferred_ops_test deferred_ops_test_win95 deferred_ops_test_win31
                         deferred_ops_test_nt40 PROPERTIES RESOURCE_LOCK qvr_restart_state)
endif()

# Copying, deleting and tree operations. They schedule restart work too, so
# they take the same lock. The compressed sample files are made beside the
# program, in lzdata\, with mscompress (SZDD data written to NAME_).
qvr_add_test(copy_tree_test SOURCES fileops/copy_tree_test.cpp VERSIONS win95)
if(NOT QVR_32BIT)
    set_tests_properties(copy_tree_test copy_tree_test_win95 PROPERTIES
                         RESOURCE_LOCK qvr_restart_state)
    find_program(QVR_MSCOMPRESS mscompress)
    if(QVR_MSCOMPRESS)
        set(payload "")
        foreach(i RANGE 1 120)
            string(APPEND payload "Line ${i} of the sample payload: repeated words, repeated words.\r\n")
        endforeach()
        file(WRITE ${CMAKE_CURRENT_BINARY_DIR}/lz_payload.txt "${payload}")
        add_custom_command(TARGET copy_tree_test POST_BUILD
            COMMAND ${CMAKE_COMMAND} -E make_directory $<TARGET_FILE_DIR:copy_tree_test>/lzdata
            COMMAND ${CMAKE_COMMAND} -E copy ${CMAKE_CURRENT_BINARY_DIR}/lz_payload.txt
                    $<TARGET_FILE_DIR:copy_tree_test>/lzdata/PAYLOAD.TXT
            COMMAND ${CMAKE_COMMAND} -E rm -f $<TARGET_FILE_DIR:copy_tree_test>/lzdata/PAYLOAD.TXT_
            COMMAND ${QVR_MSCOMPRESS} $<TARGET_FILE_DIR:copy_tree_test>/lzdata/PAYLOAD.TXT
            VERBATIM)
    else()
        message(WARNING "mscompress is missing: the LZ expansion tests skip themselves")
    endif()
endif()
