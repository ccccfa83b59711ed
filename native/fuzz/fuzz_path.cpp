// native/fuzz/fuzz_path.cpp: the path string helpers on fuzzed strings in
// both code page modes. Every helper that writes gets a buffer exactly as
// large as its documented result; results point into their string.
#include "fileops/path_helpers.h"
#include "fuzz_support.h"

#include <cstring>
#include <string>

namespace {

// The string in a heap buffer of strlen + 1 + `extra` bytes.
std::unique_ptr<char[]> Copy(const std::string& s, size_t extra) {
    auto buffer = qvrfuzz::ExactBuffer(s.size() + 1 + extra);
    std::memcpy(buffer.get(), s.c_str(), s.size() + 1);
    return buffer;
}

void Check(const std::string& path, const std::string& name) {
    size_t length = std::strlen(path.c_str());
    auto s = Copy(path, 0);
    char* end = qvr::GetStringEnd(s.get());
    QVR_FUZZ_CHECK(end == s.get() + length);
    char* last = qvr::GetLastCharPtr(s.get());
    QVR_FUZZ_CHECK(last >= s.get() && last <= end);
    QVR_FUZZ_CHECK(length == 0 || last < end);
    int chars = qvr::CountPathChars(s.get());
    QVR_FUZZ_CHECK(chars >= 0 && static_cast<size_t>(chars) <= length);
    QVR_FUZZ_CHECK(length == 0 || chars >= 1);

    char* separator = qvr::FindLastSeparator(s.get());
    QVR_FUZZ_CHECK(separator == nullptr || (separator >= s.get() && separator < end &&
                                            (*separator == '\\' || *separator == ':')));

    // One more byte for the backslash.
    auto slashed = Copy(path, 1);
    QVR_FUZZ_CHECK(qvr::AddTrailingBackslash(slashed.get()) == slashed.get());
    size_t slashedLength = std::strlen(slashed.get());
    QVR_FUZZ_CHECK(slashedLength == length || slashedLength == length + 1);
    QVR_FUZZ_CHECK(length == 0 || slashed[slashedLength - 1] == '\\');

    auto joined = Copy(path, 1 + name.size());
    QVR_FUZZ_CHECK(qvr::AppendPathComponent(joined.get(), name.c_str()) == joined.get());
    QVR_FUZZ_CHECK(std::strlen(joined.get()) <= length + 1 + name.size());

    auto part = qvrfuzz::ExactBuffer(length + 1);
    qvr::GetFileNamePart(part.get(), s.get());
    QVR_FUZZ_CHECK(std::strlen(part.get()) <= length);
    QVR_FUZZ_CHECK(separator != nullptr || std::strcmp(part.get(), s.get()) == 0);
    auto inPlace = Copy(path, 0);
    qvr::GetFileNamePart(inPlace.get(), inPlace.get());
    QVR_FUZZ_CHECK(std::strcmp(inPlace.get(), part.get()) == 0);

    int unc = qvr::IsUNCPath(s.get());
    int volume = qvr::IsServerVolumePath(s.get());
    QVR_FUZZ_CHECK((unc == 0 || unc == 1) && (volume == 0 || volume == 1));
    QVR_FUZZ_CHECK(qvr::IsNetworkPath(s.get()) == (unc || volume ? 1 : 0));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    qvrfuzz::ChooseCodePage(in);
    while (in.remaining_bytes() > 0) {
        std::string path = in.ConsumeRandomLengthString(400);
        std::string name = in.ConsumeRandomLengthString(100);
        Check(path, name);
    }
    return 0;
}
