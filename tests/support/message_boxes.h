// support/message_boxes.h: a watcher thread, running for the whole test
// program, that finds every message box (dialog class "#32770"), records its
// caption and text and presses OK, so that a call showing a box returns
// instead of hanging. Tests take the recorded boxes and check them; the
// QvrTest fixture fails a test that leaves boxes nobody expected. Only boxes
// of this process count.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace qvrtest {

struct CapturedBox {
    std::string caption;
    std::string text;
};

void StartMessageBoxWatcher();
// Ends the watcher thread (before the program exits).
void StopMessageBoxWatcher();
// The boxes seen since the last call, oldest first.
std::vector<CapturedBox> TakeMessageBoxes();

// Base fixture: fails the test when a message box appeared and was not taken.
class QvrTest : public ::testing::Test {
  protected:
    void TearDown() override;
};

} // namespace qvrtest
