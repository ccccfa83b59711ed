// support/test_main.cpp: every test program's main. The internal library
// linked into the program gets the program's own instance handle, whose
// string table is the library's (each test program links the .rc file). A
// DLL that lacks an export is refused before any test runs.
#include "frame/module_state.h"
#include "support/exports.h"
#include "support/message_boxes.h"

#include <gtest/gtest.h>

#include <cstdio>

int main(int argc, char** argv) {
    std::vector<std::string> missing = qvrtest::MissingExports();
    for (const std::string& name : missing)
        std::fprintf(stderr, "qvrdll32.dll does not export %s\n", name.c_str());
    if (!missing.empty())
        return 1;
    qvr::FirstEntry(GetModuleHandleA(nullptr));
    qvrtest::StartMessageBoxWatcher();
    ::testing::InitGoogleTest(&argc, argv);
    int result = RUN_ALL_TESTS();
    qvrtest::StopMessageBoxWatcher();
    return result;
}
