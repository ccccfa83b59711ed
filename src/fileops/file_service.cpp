// fileops/file_service.cpp: which file service is current. InfInit makes one
// with each script context; SaveFunctions and RestoreFunctions park it.
#include "fileops/file_io.h"

#include <new>

namespace qvr {

namespace {
FileService* fileService;
} // namespace

FileService* CurrentFileService() {
    return fileService;
}

bool StartFileService() {
    fileService = new (std::nothrow) FileService;
    return fileService != nullptr;
}

void ReplaceFileService(FileService* next) {
    delete fileService;
    fileService = next;
}

} // namespace qvr
