// native/fuzz/fuzz_query.cpp: every query on an image built from fuzzed
// text, at fuzzed line addresses, fields and names, with output buffers of
// exactly the size the query's contract asks for.
#include "fuzz_support.h"
#include "resources/resource_ids.h"
#include "script/script_image.h"
#include "script/script_query.h"

#include <vector>

namespace {

struct Image {
    char* bytes;
    size_t size;
    std::vector<char*> lines; // the line starts before the end mark

    bool Holds(const char* p) const { return p >= bytes && p < bytes + size; }
    char* PickLine(FuzzedDataProvider& in) const {
        return lines.empty() ? nullptr
                             : lines[in.ConsumeIntegralInRange<size_t>(0, lines.size() - 1)];
    }
};

void Query(FuzzedDataProvider& in, const Image& image) {
    switch (in.ConsumeIntegralInRange(0, 7)) {
    case 0: {
        std::string name = in.ConsumeRandomLengthString(40);
        char* section = qvr::FindSection(image.bytes, name.c_str());
        DWORD offset = qvr::FindSectionOffset(image.bytes, name.c_str());
        QVR_FUZZ_CHECK(section == (offset == 0 ? nullptr : image.bytes + offset));
        // The shipped DLL's byte-by-byte scan gives the same answer.
        QVR_FUZZ_CHECK(qvr::FindSectionOffsetWith(qvr::SectionScan::Scalar, image.bytes,
                                                  name.c_str()) == offset);
        if (section != nullptr)
            QVR_FUZZ_CHECK(image.Holds(section) && qvr::LineCount(section) >= 1);
        break;
    }
    case 1: {
        char* line = image.PickLine(in);
        char* next = qvr::NextLine(line);
        QVR_FUZZ_CHECK(next == nullptr || (image.Holds(next) && next > line));
        int count = qvr::LineCount(line);
        QVR_FUZZ_CHECK(count >= 0 && static_cast<size_t>(count) <= image.lines.size());
        break;
    }
    case 2: {
        // Any byte, or one past the block. On a line's terminating NUL the
        // result is the line after it.
        char* at = image.bytes + in.ConsumeIntegralInRange<size_t>(0, image.size);
        char* prev = qvr::PrevLine(image.bytes, image.size, at);
        QVR_FUZZ_CHECK(prev == nullptr || (image.Holds(prev) && prev <= at + 1 && *prev != '['));
        break;
    }
    case 3: {
        char* line = image.PickLine(in);
        unsigned field = in.ConsumeIntegralInRange(0u, 12u);
        size_t size = in.ConsumeIntegralInRange<size_t>(1, 300);
        auto text = qvrfuzz::ExactBuffer(size);
        int found = qvr::ParseField(line, field, text.get(), size);
        QVR_FUZZ_CHECK(found == 0 || found == 1);
        QVR_FUZZ_CHECK(line == nullptr || std::strlen(text.get()) < size);
        break;
    }
    case 4: {
        // A value is never longer than the image.
        auto value = qvrfuzz::ExactBuffer(image.size);
        std::string section = in.ConsumeRandomLengthString(20);
        std::string key = in.ConsumeRandomLengthString(30);
        char* line = image.PickLine(in);
        int found =
            in.ConsumeBool() || line == nullptr
                ? qvr::GetProfileValue(image.bytes, section.c_str(), key.c_str(), value.get())
                : qvr::GetKeyValue(line, key.c_str(), value.get());
        QVR_FUZZ_CHECK(found == 1 || (found == 0 && value[0] == '\0'));
        break;
    }
    case 5: {
        std::string keyPath = in.ConsumeRandomLengthString(60);
        auto keyPathBuffer = qvrfuzz::ExactBuffer(0, keyPath);
        auto value = qvrfuzz::ExactBuffer(image.size + keyPath.size() + 1, keyPath);
        // The value into its own buffer (the key path is restored) or into
        // the key path's.
        bool shared = in.ConsumeBool();
        int found = qvr::LookupKeyPath(image.bytes, shared ? value.get() : keyPathBuffer.get(),
                                       value.get());
        QVR_FUZZ_CHECK(found == 1 || (found == 0 && value[0] == '\0'));
        QVR_FUZZ_CHECK(shared || std::strcmp(keyPathBuffer.get(), keyPath.c_str()) == 0);
        char* named = qvr::GetNamedSection(keyPathBuffer.get());
        QVR_FUZZ_CHECK(named >= keyPathBuffer.get() &&
                       named <= keyPathBuffer.get() + keyPath.size());
        break;
    }
    case 6: {
        std::string section = in.ConsumeRandomLengthString(600);
        unsigned field = in.ConsumeIntegralInRange(0u, 12u);
        std::string match = in.ConsumeRandomLengthString(40);
        size_t size = in.ConsumeIntegralInRange<size_t>(1, qvr::kSearchRowBufferSize);
        auto work = qvrfuzz::ExactBuffer(size);
        SHORT row =
            qvr::SearchRowIn(image.bytes, section.c_str(), field, match.c_str(), work.get(), size);
        QVR_FUZZ_CHECK(row == -1 || (row >= 0 && static_cast<size_t>(row) < image.lines.size()));
        break;
    }
    }
}

} // namespace

void qvrfuzz::FuzzOne(FuzzedDataProvider& in) {
    std::string text = qvrfuzz::FrontText(in);
    Image image{qvr::BuildImageFromText(reinterpret_cast<const unsigned char*>(text.data()),
                                        text.size(), IDS_SCRIPT_TOO_BIG),
                0,
                {}};
    QVR_FUZZ_CHECK(image.bytes != nullptr);
    image.size = GlobalSize(GlobalHandle(image.bytes));
    for (size_t i = 0; i + 4 < image.size; ++i)
        if (image.bytes[i] != '\0' && (i == 0 || image.bytes[i - 1] == '\0'))
            image.lines.push_back(image.bytes + i);
    for (int i = 0; i < 32 && in.remaining_bytes() > 0; ++i)
        Query(in, image);
    qvr::ReleaseImage(image.bytes);
}
