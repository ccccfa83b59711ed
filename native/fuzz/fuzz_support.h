// native/fuzz/fuzz_support.h: what the fuzz targets share.
#pragma once

#include "native/win_layer.h"
#include "textfile/batch_text_file.h"
#include "textfile/config_text_file.h"
#include "textfile/ini_text_file.h"
#include "textfile/plain_text_file.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <unistd.h>

namespace qvrfuzz {

// A failed invariant is a crash to libFuzzer.
#define QVR_FUZZ_CHECK(condition) qvrfuzz::Check((condition), #condition, __FILE__, __LINE__)
inline void Check(bool holds, const char* condition, const char* file, int line) {
    if (!holds) {
        std::fprintf(stderr, "invariant failed at %s:%d: %s\n", file, line, condition);
        std::abort();
    }
}

// The text at the input's front, so that a seed file is read as it is; its
// length is taken from the input's end.
inline std::string FrontText(FuzzedDataProvider& in) {
    return in.ConsumeBytesAsString(in.ConsumeIntegralInRange<size_t>(0, in.remaining_bytes()));
}

// `bytes` in this process's file under /tmp (removed at exit); its path.
inline const char* WriteInputFile(const std::string& bytes) {
    static const struct InputFile {
        std::string path = "/tmp/qvrfuzz-" + std::to_string(getpid()) + ".txt";
        ~InputFile() { unlink(path.c_str()); }
    } input;
    if (FILE* file = std::fopen(input.path.c_str(), "wb")) {
        std::fwrite(bytes.data(), 1, bytes.size(), file);
        std::fclose(file);
    }
    return input.path.c_str();
}

// A heap block of exactly `bytes` bytes (at least one) starting with `text`
// and its NUL, the rest 0x7F: the sanitizer catches an access past it.
inline std::unique_ptr<char[]> ExactBuffer(size_t bytes, const std::string& text = "") {
    bytes = std::max(bytes, text.size() + 1);
    std::unique_ptr<char[]> buffer(new char[bytes]);
    std::fill(buffer.get(), buffer.get() + bytes, '\x7F');
    std::memcpy(buffer.get(), text.c_str(), text.size() + 1);
    return buffer;
}

// One of the four text file types loaded from the input's front with fuzzed
// comment markers and case mode; null when it does not load.
inline std::unique_ptr<TextFile> OpenTextFile(FuzzedDataProvider& in) {
    static const char* const kMarkers[] = {"REM", "::", ";", "#", "rem", nullptr};
    int type = in.ConsumeIntegralInRange(0, 3);
    std::unique_ptr<TextFile> file(type == 0   ? static_cast<TextFile*>(new BatchTextFile())
                                   : type == 1 ? new ConfigTextFile()
                                   : type == 2 ? new IniTextFile()
                                               : new PlainTextFile());
    const char* marker1 = kMarkers[in.ConsumeIntegralInRange(0, 5)];
    const char* marker2 = kMarkers[in.ConsumeIntegralInRange(0, 5)];
    DWORD ansiCase = in.ConsumeBool();
    const char* path = WriteInputFile(FrontText(in));
    return file->Open(path, marker1, marker2, nullptr, nullptr, ansiCase) == 1 ? std::move(file)
                                                                               : nullptr;
}

// The one input of a run; each target defines it in its single source file.
void FuzzOne(FuzzedDataProvider& in);

} // namespace qvrfuzz

// Every run picks its code page (932 or 1252) from the input and drops the
// message boxes it recorded.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    qvrnative::SetCodePage(in.ConsumeBool() ? 932 : 1252);
    qvrfuzz::FuzzOne(in);
    qvrnative::TakeMessageBoxes();
    return 0;
}
