// script/image_bytes.h: parsed images as byte strings, for comparing them
// whole.
#pragma once

#include <windows.h>

#include <string>

// A string of exactly the literal's bytes, embedded zeros included.
#define BYTES(literal) std::string(literal, sizeof(literal) - 1)

// The whole global block (GlobalSize) holding an image.
inline std::string ImageBytes(const char* image) {
    return image == nullptr ? "<null>" : std::string(image, GlobalSize(GlobalHandle(image)));
}
