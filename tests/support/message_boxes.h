// support/message_boxes.h: a CBT hook on the test thread that catches every
// message box (dialog class "#32770") as it is activated, records its caption
// and text and presses OK, so that a call showing a box returns instead of
// hanging. Tests take the recorded boxes and check them; the QvrTest fixture
// fails a test that leaves boxes nobody expected.
//
// A hook rather than a watcher thread: the test programs stay single-threaded
// (32-bit Wine under qemu-user cannot dispatch an exception while a second
// thread exists; see tests/CMakeLists.txt). Only boxes shown by the thread
// that installed the hook are caught; the DLL shows its boxes on the caller's
// thread.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace qvrtest {

struct CapturedBox {
    std::string caption;
    std::string text;
};

// Installs the hook on the calling thread.
void StartMessageBoxWatcher();
// Removes it (before the program exits).
void StopMessageBoxWatcher();
// The boxes seen since the last call, oldest first.
std::vector<CapturedBox> TakeMessageBoxes();
// Also prints each box to stderr as "BOX caption: text" when it is caught:
// a death test's child ends before it could report the boxes otherwise.
void EchoMessageBoxes(bool on);

// Base fixture: fails the test when a message box appeared and was not taken.
class QvrTest : public ::testing::Test {
  protected:
    void TearDown() override;
};

} // namespace qvrtest
