// script/script_context.h: the current script context: the parsed script
// and disks.inf images that the queries work on, their making and release.
#pragma once

#include <cstddef>

// The current parsed script and disks.inf (locked pointers into movable
// global blocks, or null). Allocated from the heap by InfInit; the installer
// parks and restores records with SaveFunctions and RestoreFunctions.
struct ScriptContext {
    char* scriptImage;
    char* diskInfImage;
};

namespace qvr {

// The current context record, or null.
ScriptContext* CurrentScriptContext();
// Makes a new record with no images current. The one that was current is
// left as it is, not released. False when memory is out: no record is
// current then.
bool StartScriptContext();
// Deletes the current record (its images are not released) and makes
// `next` current.
void ReplaceScriptContext(ScriptContext* next);

// The current context's images; null when there is no context or no image.
char* CurrentScriptImage();
char* CurrentDiskInfImage();

// The current image that holds `address` (script image first), with its
// size in *size; null when `address` lies in neither.
char* CurrentImageHolding(const char* address, size_t* size);

// Releases both images and deletes the context record; none is current
// then. Nothing when there is none.
void CloseScriptContext();

// Releases the current context's disks.inf image alone.
void CloseDiskInfImage();

} // namespace qvr
