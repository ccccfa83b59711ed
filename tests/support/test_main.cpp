// support/test_main.cpp: every test program's main. The internal library
// linked into the program gets the program's own instance handle, whose
// string table is the library's (each test program links the .rc file).
#include "frame/module_state.h"
#include "support/message_boxes.h"

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    qvr::FirstEntry(GetModuleHandleA(nullptr));
    qvrtest::StartMessageBoxWatcher();
    ::testing::InitGoogleTest(&argc, argv);
    int result = RUN_ALL_TESTS();
    qvrtest::StopMessageBoxWatcher();
    return result;
}
