// message_boxes.h: the library shows a few message boxes (oversized script
// images, an unsupported target). The demo runs without a display, where a
// box would wait for ever; a watcher thread prints each box of this process
// and answers it with OK, as a user would.
#pragma once

namespace host {

// Starts the watcher; it runs until the process ends.
void StartMessageBoxAnswerer();

} // namespace host
