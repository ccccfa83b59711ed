// native/file_load.cpp: the whole-file load that the text file classes and
// the script loader call, over the C library for the native build (the
// Windows one in fileops/file_io.cpp opens files through OpenFile). Same
// contract: a locked zero-filled global block of the file's bytes, an empty
// file reading as one zero byte.
#include "fileops/file_io.h"
#include "util/global_memory.h"

#include <cstdio>
#include <string>

namespace qvr {

void* LoadWholeFile(LPCSTR path, HGLOBAL* block, DWORD* size) {
    *block = nullptr;
    std::string unixPath(path);
    for (char& c : unixPath)
        if (c == '\\')
            c = '/';
    FILE* file = std::fopen(unixPath.c_str(), "rb");
    if (file == nullptr)
        return nullptr;
    std::fseek(file, 0, SEEK_END);
    long length = std::ftell(file);
    std::fseek(file, 0, SEEK_SET);
    *size = length > 0 ? static_cast<DWORD>(length) : 1;
    auto* image = static_cast<BYTE*>(AllocGlobalLocked(*size));
    if (image != nullptr) {
        if (length > 0 && std::fread(image, 1, *size, file) != *size) {
            FreeGlobalLocked(image);
            image = nullptr;
        } else {
            *block = GlobalHandle(image);
        }
    }
    std::fclose(file);
    return image;
}

} // namespace qvr

void* FileService::LoadFile(LPCSTR path, HGLOBAL* block, DWORD* size) {
    return qvr::LoadWholeFile(path, block, size);
}
