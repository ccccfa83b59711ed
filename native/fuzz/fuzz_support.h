// native/fuzz/fuzz_support.h: what the fuzz targets share: a failed
// invariant stops the run with a message, inputs that must sit in files go
// to one file per process, and recorded message boxes are dropped.
#pragma once

#include "native/win_layer.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <unistd.h>

namespace qvrfuzz {

// Ends the run (a crash to libFuzzer) when an invariant does not hold.
#define QVR_FUZZ_CHECK(condition)                                                                  \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            std::fprintf(stderr, "invariant failed at %s:%d: %s\n", __FILE__, __LINE__,            \
                         #condition);                                                              \
            std::abort();                                                                          \
        }                                                                                          \
    } while (0)

// A file of this process under /tmp holding `bytes` (removed at exit); its
// path.
inline const std::string& WriteInputFile(const std::string& bytes) {
    static const struct InputFile {
        std::string path = "/tmp/qvrfuzz-" + std::to_string(getpid()) + ".txt";
        ~InputFile() { unlink(path.c_str()); }
    } input;
    FILE* file = std::fopen(input.path.c_str(), "wb");
    if (file != nullptr) {
        std::fwrite(bytes.data(), 1, bytes.size(), file);
        std::fclose(file);
    }
    return input.path;
}

// A heap buffer of exactly `bytes` bytes, so that the sanitizer catches a
// write one byte past what the callee was given.
inline std::unique_ptr<char[]> ExactBuffer(size_t bytes) {
    std::unique_ptr<char[]> buffer(new char[bytes == 0 ? 1 : bytes]);
    std::fill(buffer.get(), buffer.get() + (bytes == 0 ? 1 : bytes), '\x7F');
    return buffer;
}

// Message boxes are part of the behaviour under test, not of a run's state.
inline void DropMessageBoxes() {
    qvrnative::TakeMessageBoxes();
}

// The code page of this run: the first byte's low bit picks 932.
inline void ChooseCodePage(FuzzedDataProvider& in) {
    qvrnative::SetCodePage(in.ConsumeBool() ? 932 : 1252);
}

} // namespace qvrfuzz
