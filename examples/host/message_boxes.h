// message_boxes.h: the library shows a few message boxes (oversized script
// images, an unsupported target). The demo runs without a display, where a
// box would wait for ever; a hook on the calling thread prints each box that
// thread shows and answers it with OK, as a user would. A hook rather than a
// second thread: 32-bit Wine under qemu cannot dispatch exceptions once a
// process has two threads.
#pragma once

namespace host {

// Watches the calling thread (the one that calls the library) until the
// process ends.
void StartMessageBoxAnswerer();

} // namespace host
