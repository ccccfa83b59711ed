// script/script_context.cpp
#include "script/script_context.h"

#include "script/script_image.h"

#include <new>

namespace qvr {

namespace {

ScriptContext* scriptContext;

// Size of the locked global block behind an image (0 when it is none).
size_t ImageSize(const char* image) {
    HGLOBAL block = GlobalHandle(image);
    return block == nullptr ? 0 : GlobalSize(block);
}

bool Holds(const char* image, const char* address, size_t* size) {
    if (image == nullptr || address < image)
        return false;
    size_t bytes = ImageSize(image);
    if (static_cast<size_t>(address - image) >= bytes)
        return false;
    *size = bytes;
    return true;
}

} // namespace

ScriptContext* CurrentScriptContext() {
    return scriptContext;
}

bool StartScriptContext() {
    scriptContext = new (std::nothrow) ScriptContext{nullptr, nullptr};
    return scriptContext != nullptr;
}

void ReplaceScriptContext(ScriptContext* next) {
    delete scriptContext;
    scriptContext = next;
}

char* CurrentScriptImage() {
    return scriptContext != nullptr ? scriptContext->scriptImage : nullptr;
}

char* CurrentDiskInfImage() {
    return scriptContext != nullptr ? scriptContext->diskInfImage : nullptr;
}

char* CurrentImageHolding(const char* address, size_t* size) {
    *size = 0;
    if (address == nullptr)
        return nullptr;
    if (char* image = CurrentScriptImage(); Holds(image, address, size))
        return image;
    if (char* image = CurrentDiskInfImage(); Holds(image, address, size))
        return image;
    return nullptr;
}

void CloseScriptContext() {
    if (scriptContext != nullptr) {
        ReleaseImage(scriptContext->scriptImage);
        ReleaseImage(scriptContext->diskInfImage);
        delete scriptContext;
        scriptContext = nullptr;
    }
}

void CloseDiskInfImage() {
    if (scriptContext == nullptr)
        return;
    ReleaseImage(scriptContext->diskInfImage);
    scriptContext->diskInfImage = nullptr;
}

} // namespace qvr
