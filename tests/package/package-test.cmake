# The package tests' driver: cmake -DSTEP=<step> ... -P package-test.cmake
#   install   fresh `cmake --install` of BUILD into SCRATCH/prefix; checks that
#             the DLL's version resource carries VERSION (and that the check
#             sees a wrong one), and that BUILD_IMPLIB, the build tree's import
#             library, is the installed one
#   consumer  builds examples/consumer against PREFIX as an outside project
#             (TOOLCHAIN, VARIANT mingw or msvc) into WORK, with the probe that
#             references every export, then checks the program's imports
#   faults    import libraries with one wrong name must fail the consumer's
#             link, or its import check (and on 64-bit its load under Wine)
#   archive   scripts/package.sh on the install of BUILD and on that of a
#             second build in another folder gives the same bytes; a changed
#             byte and a build path inside are caught
cmake_minimum_required(VERSION 3.25)
set(here ${CMAKE_CURRENT_LIST_DIR})

function(fail)
    string(JOIN "" text ${ARGN})
    message(FATAL_ERROR "${text}")
endfunction()

# Runs a command; fails with its output unless it exits with 0.
function(run)
    execute_process(COMMAND ${ARGN} RESULT_VARIABLE code OUTPUT_VARIABLE out ERROR_VARIABLE out)
    if(NOT code EQUAL 0)
        list(JOIN ARGN " " cmd)
        fail("${cmd}\nfailed (${code}):\n${out}")
    endif()
endfunction()

# Removes a scratch folder of the tests; only ever one inside the build tree.
function(remove_scratch dir)
    cmake_path(IS_PREFIX BUILD "${dir}" NORMALIZE inside)
    if(NOT inside OR dir STREQUAL BUILD)
        fail("refusing to remove ${dir}: not a folder inside ${BUILD}")
    endif()
    file(REMOVE_RECURSE "${dir}")
endfunction()

# A little-endian 32-bit word of `hex` (two characters a byte) at byte `at`.
function(read_word hex at out)
    math(EXPR pos "${at} * 2")
    set(value "")
    foreach(byte 3 2 1 0)
        math(EXPR p "${pos} + ${byte} * 2")
        string(SUBSTRING "${hex}" ${p} 2 two)
        string(APPEND value "${two}")
    endforeach()
    math(EXPR value "0x${value}")
    set(${out} ${value} PARENT_SCOPE)
endfunction()

# The file and product version of a PE file's version resource
# (VS_FIXEDFILEINFO, signature 0xFEEF04BD), as "a.b.c.d;a.b.c.d".
function(pe_versions file out)
    file(READ "${file}" hex HEX)
    string(FIND "${hex}" "bd04effe" at)
    math(EXPR odd "${at} % 2")
    if(at EQUAL -1 OR odd)
        fail("${file}: no version resource found")
    endif()
    math(EXPR at "${at} / 2")
    set(versions)
    foreach(offset 8 16) # dwFileVersionMS/LS, dwProductVersionMS/LS
        math(EXPR ms_at "${at} + ${offset}")
        math(EXPR ls_at "${at} + ${offset} + 4")
        read_word("${hex}" ${ms_at} ms)
        read_word("${hex}" ${ls_at} ls)
        math(EXPR a "${ms} >> 16")
        math(EXPR b "${ms} & 0xFFFF")
        math(EXPR c "${ls} >> 16")
        math(EXPR d "${ls} & 0xFFFF")
        list(APPEND versions "${a}.${b}.${c}.${d}")
    endforeach()
    set(${out} "${versions}" PARENT_SCOPE)
endfunction()

# Empty when both versions of the resource are `version`.0, else the reason.
function(version_mismatch file version out)
    pe_versions("${file}" found)
    set(reason "")
    foreach(v IN LISTS found)
        if(NOT v STREQUAL "${version}.0")
            set(reason "the version resource of ${file} says ${v}, not ${version}.0")
        endif()
    endforeach()
    set(${out} "${reason}" PARENT_SCOPE)
endfunction()

# The caller-side name and the import name of each export line of a dlltool
# module-definition file: "InfInit@4 == _InfInit@4" or "?TaskEnumProc@@...".
function(def_exports def out_c_names out_import_names)
    file(STRINGS "${def}" lines)
    set(c_names)
    set(import_names)
    foreach(line IN LISTS lines)
        if(line MATCHES "^    ([A-Za-z0-9_]+)(@[0-9]+)? == ([^ ]+)$")
            list(APPEND c_names "${CMAKE_MATCH_1}")
            list(APPEND import_names "${CMAKE_MATCH_3}")
        elseif(line MATCHES "^    (\\?([A-Za-z0-9_]+)@@[^ ]+)$")
            list(APPEND c_names "${CMAKE_MATCH_2}")
            list(APPEND import_names "${CMAKE_MATCH_1}")
        elseif(NOT line MATCHES "^(LIBRARY|EXPORTS)")
            fail("${def}: unexpected line '${line}'")
        endif()
    endforeach()
    set(${out_c_names} "${c_names}" PARENT_SCOPE)
    set(${out_import_names} "${import_names}" PARENT_SCOPE)
endfunction()

# The names a program imports from qvrdll32.dll, from `objdump -p`.
function(imported_names exe out)
    execute_process(COMMAND ${OBJDUMP} -p "${exe}" RESULT_VARIABLE code OUTPUT_VARIABLE dump)
    if(NOT code EQUAL 0)
        fail("${OBJDUMP} -p ${exe} failed")
    endif()
    string(REPLACE "\n" ";" dump_lines "${dump}")
    set(names)
    set(inside OFF)
    foreach(line IN LISTS dump_lines)
        if(line MATCHES "DLL Name: ")
            string(TOLOWER "${line}" lower)
            string(FIND "${lower}" "dll name: qvrdll32.dll" hit)
            if(hit EQUAL -1)
                set(inside OFF)
            else()
                set(inside ON)
            endif()
        elseif(inside AND line MATCHES "^\t[0-9a-f]+\t +[0-9]+  (.+)$")
            list(APPEND names "${CMAKE_MATCH_1}")
        endif()
    endforeach()
    set(${out} "${names}" PARENT_SCOPE)
endfunction()

# Empty when `exe` imports from qvrdll32.dll exactly the export names of the
# installed PREFIX, else the difference.
function(imports_differ exe out)
    def_exports(${PREFIX}/lib/qvrdll32.def c_names wanted)
    imported_names(${exe} got)
    set(missing ${wanted})
    list(REMOVE_ITEM missing ${got})
    set(stray ${got})
    list(REMOVE_ITEM stray ${wanted})
    set(reason "")
    if(missing OR stray)
        set(reason "${exe} imports from qvrdll32.dll without: ${missing}; beyond them: ${stray}")
    endif()
    set(${out} "${reason}" PARENT_SCOPE)
endfunction()

# Builds the consumer against `prefix` into `work`; sets `result` to the
# build's exit code and `output` to what it printed. The probe references
# every export of the installed PREFIX, whatever `prefix` offers.
function(build_consumer prefix work result output)
    remove_scratch("${work}")
    file(MAKE_DIRECTORY "${work}")
    def_exports("${PREFIX}/lib/qvrdll32.def" c_names import_names)
    set(text "/* Generated by the package tests from lib/qvrdll32.def. */\n")
    string(APPEND text "#include \"qvrdll32.h\"\n\ntypedef void (*qvr_function)(void);\n")
    string(APPEND text "const qvr_function qvr_every_export[] = {\n")
    foreach(name IN LISTS c_names)
        string(APPEND text "    (qvr_function)${name},\n")
    endforeach()
    string(APPEND text "};\n")
    file(WRITE "${work}/every_export.c" "${text}")
    set(probe "${work}/every_export.c")
    set(extra)
    if(VARIANT STREQUAL "msvc")
        list(APPEND probe "${here}/msvc_start.c")
        set(mingw_lib /usr/i686-w64-mingw32/lib)
        list(APPEND extra "-DCMAKE_CXX_STANDARD_LIBRARIES=${mingw_lib}/libkernel32.a \
${mingw_lib}/libuser32.a ${mingw_lib}/libmsvcrt.a")
    else()
        # The MinGW runtime goes into the program, which then needs no DLL
        # but qvrdll32.dll beside it.
        list(APPEND extra -DCMAKE_EXE_LINKER_FLAGS=-static)
    endif()
    execute_process(
        COMMAND ${CMAKE_COMMAND} -S ${SOURCE}/examples/consumer -B ${work}/build -G Ninja
                --toolchain ${TOOLCHAIN} -DCMAKE_BUILD_TYPE=Release -DCMAKE_PREFIX_PATH=${prefix}
                -DCMAKE_PROJECT_INCLUDE=${here}/consumer-probe.cmake "-DQVR_PROBE_SOURCES=${probe}"
                ${extra}
        RESULT_VARIABLE code OUTPUT_VARIABLE out ERROR_VARIABLE out)
    if(code EQUAL 0)
        execute_process(COMMAND ${CMAKE_COMMAND} --build ${work}/build
                        RESULT_VARIABLE code OUTPUT_VARIABLE build_out ERROR_VARIABLE build_out)
        string(APPEND out "${build_out}")
    endif()
    set(${result} ${code} PARENT_SCOPE)
    set(${output} "${out}" PARENT_SCOPE)
endfunction()

if(STEP STREQUAL "install")
    remove_scratch("${SCRATCH}")
    run(${CMAKE_COMMAND} --install ${BUILD} --prefix ${SCRATCH}/prefix)
    version_mismatch(${SCRATCH}/prefix/bin/qvrdll32.dll "${VERSION}" reason)
    if(reason)
        fail("${reason}")
    endif()
    version_mismatch(${SCRATCH}/prefix/bin/qvrdll32.dll "${VERSION}.1" reason)
    if(NOT reason)
        fail("the version check accepted ${VERSION}.1")
    endif()
    # The build tree's import library must be the one that links, not the
    # linker's (which offers __InfInit@4).
    file(SHA256 "${BUILD_IMPLIB}" built)
    file(SHA256 "${SCRATCH}/prefix/lib/libqvrdll32.dll.a" shipped)
    if(NOT built STREQUAL shipped)
        fail("${BUILD_IMPLIB} is not the installed lib/libqvrdll32.dll.a")
    endif()
    message(STATUS "installed into ${SCRATCH}/prefix; version resource ${VERSION}.0")

elseif(STEP STREQUAL "consumer")
    build_consumer(${PREFIX} ${WORK} code out)
    if(NOT code EQUAL 0)
        fail("the ${VARIANT} consumer did not build:\n${out}")
    endif()
    imports_differ(${WORK}/build/consumer.exe reason)
    if(reason)
        fail("${reason}")
    endif()
    def_exports(${PREFIX}/lib/qvrdll32.def c_names import_names)
    list(LENGTH import_names count)
    message(STATUS "the ${VARIANT} consumer imports all ${count} exports by their exact names")

elseif(STEP STREQUAL "faults")
    # Each case: a copy of the prefix whose import library has one name
    # wrong, and what must then be seen.
    set(faults ${SCRATCH}/faults)
    remove_scratch(${faults})
    if(IS32)
        set(at0 "@0")
        set(at4 "@4")
        set(at8 "@8")
    else()
        set(at0 "")
        set(at4 "")
        set(at8 "")
    endif()

    # Writes `prefix` as a copy of PREFIX whose dlltool input has `from`
    # replaced by `to`, and remakes its MinGW import library.
    function(faulty_gnu_prefix prefix from to)
        file(COPY ${PREFIX}/ DESTINATION ${prefix})
        file(READ ${prefix}/lib/qvrdll32.def def)
        string(REPLACE "${from}" "${to}" changed "${def}")
        if(changed STREQUAL def)
            fail("'${from}' is not in qvrdll32.def")
        endif()
        file(WRITE ${prefix}/lib/qvrdll32.def "${changed}")
        run(${DLLTOOL} -d qvrdll32.def -l libqvrdll32.dll.a WORKING_DIRECTORY ${prefix}/lib)
    endfunction()

    # The same for Microsoft's library: the export lists with `from` replaced
    # by `to` make the stub.
    function(faulty_msvc_prefix prefix from to)
        file(COPY ${PREFIX}/ DESTINATION ${prefix})
        string(REPLACE "|" ";" lists "${LISTS}")
        set(changed_lists)
        set(n 0)
        set(hits 0)
        foreach(list_file IN LISTS lists)
            file(READ ${list_file} text)
            string(REPLACE "${from}" "${to}" changed "${text}")
            if(NOT changed STREQUAL text)
                math(EXPR hits "${hits} + 1")
            endif()
            math(EXPR n "${n} + 1")
            file(WRITE ${prefix}/stub/exports${n}.list "${changed}")
            list(APPEND changed_lists ${prefix}/stub/exports${n}.list)
        endforeach()
        if(NOT hits EQUAL 1)
            fail("'${from}' is not in one export list")
        endif()
        string(JOIN "|" changed_lists ${changed_lists})
        run(${CMAKE_COMMAND} -DLISTS=${changed_lists} -DIS32=ON -DDEF_OUT=${prefix}/stub/unused.def
            -DSTUB_OUT=${prefix}/stub/stub.cpp -P ${SOURCE}/cmake/make-import-sources.cmake)
        run(${CMAKE_COMMAND} -DSTUB=${prefix}/stub/stub.cpp -DOUT=${prefix}/lib/qvrdll32.lib
            -DCLANGXX=${CLANGXX} -DLLD_LINK=${LLD_LINK}
            -P ${SOURCE}/cmake/make-msvc-import-library.cmake)
    endfunction()

    # The consumer must fail to link, saying `expected` (a regular expression).
    function(expect_link_failure case expected)
        build_consumer(${faults}/${case}/prefix ${faults}/${case}/consumer code out)
        if(code EQUAL 0)
            fail("${case}: the ${VARIANT} consumer linked")
        endif()
        if(NOT out MATCHES "${expected}")
            fail("${case}: the ${VARIANT} consumer failed without '${expected}':\n${out}")
        endif()
        message(STATUS "${case}: the ${VARIANT} consumer does not link")
    endfunction()

    # TaskEnumProc offered under a C name: the C++ caller's reference to the
    # exported name finds nothing.
    set(VARIANT mingw)
    faulty_gnu_prefix(${faults}/c-name/prefix "    ?TaskEnumProc@@YGHPAUHWND__@@J@Z\n"
                      "    TaskEnumProc${at8} == ?TaskEnumProc@@YGHPAUHWND__@@J@Z\n")
    expect_link_failure(c-name "undefined reference to `\\?TaskEnumProc@@YGHPAUHWND__@@J@Z'")
    # The line the linker's own import library amounts to: _InfInit@4 under
    # the symbol __InfInit@4.
    faulty_gnu_prefix(${faults}/linker-implib/prefix "    InfInit${at4} == _InfInit@4\n"
                      "    _InfInit@4\n")
    expect_link_failure(linker-implib "undefined reference to `InfInit${at4}'")

    # An import name the DLL does not export ("IsShellKdos == _IsShellKdos@0"
    # without its import name): the program links, the import check sees it,
    # and on 64-bit the load under Wine reports it (a 32-bit start costs a
    # minute under qemu).
    faulty_gnu_prefix(${faults}/import-name/prefix "    IsShellKdos${at0} == _IsShellKdos@0\n"
                      "    IsShellKdos${at0}\n")
    build_consumer(${faults}/import-name/prefix ${faults}/import-name/consumer code out)
    if(NOT code EQUAL 0)
        fail("import-name: the consumer did not link:\n${out}")
    endif()
    set(exe ${faults}/import-name/consumer/build/consumer.exe)
    imports_differ(${exe} reason)
    if(NOT reason MATCHES "without: _IsShellKdos@0; beyond them: IsShellKdos")
        fail("import-name: the import check said '${reason}'")
    endif()
    message(STATUS "import-name: the import check reports IsShellKdos${at0} for _IsShellKdos@0")
    if(NOT IS32)
        execute_process(COMMAND ${CMAKE_COMMAND} -E env ${WINE_DEBUG} ${EMULATOR} ${exe}
                        OUTPUT_VARIABLE out ERROR_VARIABLE out)
        if(NOT out MATCHES "${MISSING_IMPORT}\\.IsShellKdos")
            fail("import-name: the load did not report the missing import:\n${out}")
        endif()
        message(STATUS "import-name: the load reports qvrdll32.dll.IsShellKdos missing")
    endif()

    if(IS32)
        set(VARIANT msvc)
        set(TOOLCHAIN ${here}/toolchain-clang-msvc-i686.cmake)
        faulty_msvc_prefix(${faults}/msvc-c-name/prefix
                           "?TaskEnumProc@@YGHPAUHWND__@@J@Z = TaskEnumProc 8" "TaskEnumProc 8")
        expect_link_failure(msvc-c-name
            "undefined symbol: int __stdcall TaskEnumProc\\(struct HWND__ ?\\*, long\\)")
        faulty_msvc_prefix(${faults}/msvc-bytes/prefix "\nInfInit 4\n" "\nInfInit 8\n")
        expect_link_failure(msvc-bytes "undefined symbol: _InfInit@4")
    endif()

elseif(STEP STREQUAL "archive")
    set(work ${SCRATCH}/archive)
    remove_scratch(${work})
    # Packs `stage` into `dist`; sets `result` and `output`.
    function(pack stage dist result output)
        execute_process(
            COMMAND ${CMAKE_COMMAND} -E env SOURCE_DATE_EPOCH=1700000000
                    ${SOURCE}/scripts/package.sh ${stage} ${dist} ${PLATFORM} ${SOURCE} ${BUILD}
            RESULT_VARIABLE code OUTPUT_VARIABLE out ERROR_VARIABLE out)
        set(${result} ${code} PARENT_SCOPE)
        set(${output} "${out}" PARENT_SCOPE)
    endfunction()
    set(name qvrdll32-${VERSION}-${PLATFORM}.zip)

    # The fixture's install, and the install of a second build of the same
    # sources in another folder, made later.
    run(${CMAKE_COMMAND} -S ${SOURCE} -B ${work}/build -G Ninja --toolchain ${TOOLCHAIN}
        -DCMAKE_BUILD_TYPE=${BUILD_TYPE} -DBUILD_TESTING=OFF)
    run(${CMAKE_COMMAND} --build ${work}/build --target qvrdll32 qvr_import_libraries)
    run(${CMAKE_COMMAND} --install ${work}/build --prefix ${work}/second)
    pack(${PREFIX} ${work}/dist-first code out)
    if(NOT code EQUAL 0)
        fail("scripts/package.sh failed:\n${out}")
    endif()
    pack(${work}/second ${work}/dist-second code out)
    if(NOT code EQUAL 0)
        fail("scripts/package.sh failed:\n${out}")
    endif()
    file(SHA256 ${work}/dist-first/${name} first)
    file(SHA256 ${work}/dist-second/${name} second)
    if(NOT first STREQUAL second)
        fail("two builds packed differently: ${first} and ${second}")
    endif()
    file(READ ${work}/dist-first/${name}.sha256 sum)
    if(NOT sum STREQUAL "${first}  ${name}\n")
        fail("${name}.sha256 holds '${sum}'")
    endif()

    # Exactly the tree, under one folder named like the archive.
    execute_process(COMMAND ${CMAKE_COMMAND} -E tar tf ${work}/dist-first/${name}
                    OUTPUT_VARIABLE listing COMMAND_ERROR_IS_FATAL ANY)
    string(REGEX REPLACE "\n$" "" listing "${listing}")
    string(REPLACE "\n" ";" listing "${listing}")
    string(REPLACE "|" ";" tree "${TREE}")
    string(REGEX REPLACE "\\.zip$" "" folder "${name}")
    list(TRANSFORM tree PREPEND "${folder}/")
    list(SORT tree)
    if(NOT listing STREQUAL tree)
        fail("${name} holds:\n${listing}\ninstead of:\n${tree}")
    endif()

    # The comparison sees one changed byte.
    file(COPY ${work}/second/ DESTINATION ${work}/changed)
    file(READ ${work}/changed/share/doc/qvrdll32/LICENSE licence)
    string(REPLACE "MIT License" "MIT Licence" licence "${licence}")
    file(WRITE ${work}/changed/share/doc/qvrdll32/LICENSE "${licence}")
    pack(${work}/changed ${work}/dist-changed code out)
    file(SHA256 ${work}/dist-changed/${name} changed)
    if(changed STREQUAL first)
        fail("a changed byte did not change the archive")
    endif()

    # A build path inside a file is refused.
    file(COPY ${work}/second/ DESTINATION ${work}/leak)
    file(APPEND ${work}/leak/include/qvrdll32.h "/* ${BUILD}/generated */\n")
    pack(${work}/leak ${work}/dist-leak code out)
    if(code EQUAL 0 OR NOT out MATCHES "build path")
        fail("a build path inside was not refused (${code}):\n${out}")
    endif()
    message(STATUS "${name}: the same bytes from two builds (${first})")

else()
    fail("unknown STEP '${STEP}'")
endif()
