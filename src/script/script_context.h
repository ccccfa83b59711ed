// script/script_context.h: the parsed images of the current script context
// as the query exports see them, and their release.
#pragma once

#include <cstddef>

namespace qvr {

// The current context's images; null when there is no context or no image.
char* CurrentScriptImage();
char* CurrentDiskInfImage();

// The current image that holds `address` (script image first), with its
// size in *size; null when `address` lies in neither.
char* CurrentImageHolding(const char* address, size_t* size);

// Releases both images, deletes the context record and the file service,
// and leaves both module-wide pointers null. Nothing when there are none.
void CloseScriptContext();

// Releases the current context's disks.inf image alone.
void CloseDiskInfImage();

} // namespace qvr
