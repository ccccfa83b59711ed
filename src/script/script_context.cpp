// script/script_context.cpp
#include "script/script_context.h"

#include "frame/module_state.h"
#include "script/script_image.h"

namespace qvr {

namespace {

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
    if (fileService != nullptr) {
        delete fileService;
        fileService = nullptr;
    }
}

void CloseDiskInfImage() {
    if (scriptContext == nullptr)
        return;
    ReleaseImage(scriptContext->diskInfImage);
    scriptContext->diskInfImage = nullptr;
}

} // namespace qvr
