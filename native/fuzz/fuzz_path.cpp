// native/fuzz/fuzz_path.cpp: the path string helpers on fuzzed strings in
// both code pages. Writers get buffers of exactly their documented result
// size; results point into their string.
#include "fileops/path_helpers.h"
#include "fuzz_support.h"

namespace {

void CheckPath(const std::string& path, const std::string& name) {
    size_t length = path.size();
    auto s = qvrfuzz::ExactBuffer(0, path);
    char* end = qvr::GetStringEnd(s.get());
    QVR_FUZZ_CHECK(end == s.get() + length);
    char* last = qvr::GetLastCharPtr(s.get());
    QVR_FUZZ_CHECK(last >= s.get() && last <= end && (length == 0 || last < end));
    int chars = qvr::CountPathChars(s.get());
    QVR_FUZZ_CHECK(chars >= (length > 0 ? 1 : 0) && static_cast<size_t>(chars) <= length);
    char* separator = qvr::FindLastSeparator(s.get());
    QVR_FUZZ_CHECK(separator == nullptr || (separator >= s.get() && separator < end &&
                                            (*separator == '\\' || *separator == ':')));

    auto slashed = qvrfuzz::ExactBuffer(length + 2, path);
    QVR_FUZZ_CHECK(qvr::AddTrailingBackslash(slashed.get()) == slashed.get());
    size_t slashedLength = std::strlen(slashed.get());
    QVR_FUZZ_CHECK(slashedLength == length || slashedLength == length + 1);
    QVR_FUZZ_CHECK(length == 0 || slashed[slashedLength - 1] == '\\');

    auto joined = qvrfuzz::ExactBuffer(length + 2 + name.size(), path);
    QVR_FUZZ_CHECK(qvr::AppendPathComponent(joined.get(), name.c_str()) == joined.get());
    QVR_FUZZ_CHECK(std::strlen(joined.get()) <= length + 1 + name.size());

    auto part = qvrfuzz::ExactBuffer(length + 1);
    qvr::GetFileNamePart(part.get(), s.get());
    QVR_FUZZ_CHECK(separator != nullptr || std::strcmp(part.get(), s.get()) == 0);
    auto inPlace = qvrfuzz::ExactBuffer(0, path);
    qvr::GetFileNamePart(inPlace.get(), inPlace.get());
    QVR_FUZZ_CHECK(std::strcmp(inPlace.get(), part.get()) == 0);

    int unc = qvr::IsUNCPath(s.get());
    int volume = qvr::IsServerVolumePath(s.get());
    QVR_FUZZ_CHECK((unc == 0 || unc == 1) && (volume == 0 || volume == 1));
    QVR_FUZZ_CHECK(qvr::IsNetworkPath(s.get()) == (unc | volume));
}

} // namespace

void qvrfuzz::FuzzOne(FuzzedDataProvider& in) {
    while (in.remaining_bytes() > 0) {
        std::string path = in.ConsumeRandomLengthString(400).c_str();
        CheckPath(path, in.ConsumeRandomLengthString(100).c_str());
    }
}
