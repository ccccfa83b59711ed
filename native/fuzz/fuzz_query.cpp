// native/fuzz/fuzz_query.cpp: every query on an image built from fuzzed
// text, with fuzzed line addresses (line starts, and any byte for PrevLine),
// field numbers and names. Output buffers are exactly as large as the
// queries' contracts require.
#include "fuzz_support.h"
#include "resources/resource_ids.h"
#include "script/script_image.h"
#include "script/script_query.h"
#include "script/tokenizer.h"

#include <cstring>
#include <vector>

namespace {

struct Image {
    char* bytes;
    size_t size;               // the block's size
    std::vector<size_t> lines; // offsets of line starts before the end mark
};

Image Build(const std::string& text) {
    Image image{qvr::BuildImageFromText(reinterpret_cast<const unsigned char*>(text.data()),
                                        text.size(), IDS_SCRIPT_TOO_BIG),
                0,
                {}};
    QVR_FUZZ_CHECK(image.bytes != nullptr);
    image.size = GlobalSize(GlobalHandle(image.bytes));
    size_t end = image.size - 4; // the first NUL of the end mark
    for (size_t i = 0; i < end; ++i)
        if (i == 0 || image.bytes[i - 1] == '\0')
            if (image.bytes[i] != '\0')
                image.lines.push_back(i);
    return image;
}

char* PickLine(FuzzedDataProvider& in, const Image& image) {
    if (image.lines.empty())
        return nullptr;
    return image.bytes + image.lines[in.ConsumeIntegralInRange<size_t>(0, image.lines.size() - 1)];
}

bool Inside(const Image& image, const char* p) {
    return p >= image.bytes && p < image.bytes + image.size;
}

void RunQuery(FuzzedDataProvider& in, Image& image) {
    switch (in.ConsumeIntegralInRange(0, 8)) {
    case 0: {
        std::string name = in.ConsumeRandomLengthString(40);
        char* section = qvr::FindSection(image.bytes, name.c_str());
        DWORD offset = qvr::FindSectionOffset(image.bytes, name.c_str());
        QVR_FUZZ_CHECK((section == nullptr) == (offset == 0));
        QVR_FUZZ_CHECK(section == nullptr ||
                       (Inside(image, section) && section == image.bytes + offset));
        if (section != nullptr) {
            int count = qvr::LineCount(section);
            QVR_FUZZ_CHECK(count >= 1 && static_cast<size_t>(count) <= image.lines.size());
        }
        break;
    }
    case 1: {
        char* line = PickLine(in, image);
        char* next = qvr::NextLine(line);
        QVR_FUZZ_CHECK(next == nullptr || (Inside(image, next) && next > line));
        break;
    }
    case 2: {
        char* line = PickLine(in, image);
        int count = qvr::LineCount(line);
        QVR_FUZZ_CHECK(count >= 0 && static_cast<size_t>(count) <= image.lines.size());
        break;
    }
    case 3: {
        // Any address inside the image, or just outside it. The address of a
        // line's terminating NUL gives the line after it.
        size_t offset = in.ConsumeIntegralInRange<size_t>(0, image.size);
        char* prev = qvr::PrevLine(image.bytes, image.size, image.bytes + offset);
        QVR_FUZZ_CHECK(prev == nullptr ||
                       (Inside(image, prev) && prev <= image.bytes + offset + 1 && *prev != '['));
        break;
    }
    case 4: {
        char* line = PickLine(in, image);
        unsigned field = in.ConsumeIntegralInRange(0u, 12u);
        size_t textSize = in.ConsumeIntegralInRange<size_t>(1, 300);
        auto text = qvrfuzz::ExactBuffer(textSize);
        int found = qvr::ParseField(line, field, text.get(), textSize);
        QVR_FUZZ_CHECK(found == 0 || found == 1);
        if (line != nullptr)
            QVR_FUZZ_CHECK(std::strlen(text.get()) < textSize);
        break;
    }
    case 5: {
        // A value is never longer than the image's longest line.
        char* section =
            in.ConsumeBool()
                ? PickLine(in, image)
                : qvr::FindSection(image.bytes, in.ConsumeRandomLengthString(20).c_str());
        std::string key = in.ConsumeRandomLengthString(30);
        auto value = qvrfuzz::ExactBuffer(image.size);
        if (section != nullptr) {
            int found = qvr::GetKeyValue(section, key.c_str(), value.get());
            QVR_FUZZ_CHECK(found == 0 || found == 1);
            QVR_FUZZ_CHECK(found == 1 || value[0] == '\0');
        }
        break;
    }
    case 6: {
        std::string section = in.ConsumeRandomLengthString(20);
        std::string key = in.ConsumeRandomLengthString(30);
        auto value = qvrfuzz::ExactBuffer(image.size);
        int found = qvr::GetProfileValue(image.bytes, section.c_str(), key.c_str(), value.get());
        QVR_FUZZ_CHECK(found == 1 || (found == 0 && value[0] == '\0'));
        break;
    }
    case 7: {
        std::string keyPath = in.ConsumeRandomLengthString(60);
        auto keyPathBuffer = qvrfuzz::ExactBuffer(keyPath.size() + 1);
        std::memcpy(keyPathBuffer.get(), keyPath.c_str(), keyPath.size() + 1);
        if (in.ConsumeBool()) {
            auto value = qvrfuzz::ExactBuffer(image.size + keyPath.size() + 1);
            int found = qvr::LookupKeyPath(image.bytes, keyPathBuffer.get(), value.get());
            QVR_FUZZ_CHECK(found == 0 || found == 1);
            QVR_FUZZ_CHECK(std::strcmp(keyPathBuffer.get(), keyPath.c_str()) == 0); // restored
        } else {
            // The result into the keyPath's own buffer, as large as either needs.
            auto shared = qvrfuzz::ExactBuffer(image.size + keyPath.size() + 1);
            std::memcpy(shared.get(), keyPath.c_str(), keyPath.size() + 1);
            int found = qvr::LookupKeyPath(image.bytes, shared.get(), shared.get());
            QVR_FUZZ_CHECK(found == 1 || (found == 0 && shared[0] == '\0'));
        }
        char* named = qvr::GetNamedSection(keyPathBuffer.get());
        QVR_FUZZ_CHECK(named >= keyPathBuffer.get() && named <= keyPathBuffer.get() + keyPath.size());
        break;
    }
    case 8: {
        std::string section = in.ConsumeRandomLengthString(600);
        unsigned field = in.ConsumeIntegralInRange(0u, 12u);
        std::string match = in.ConsumeRandomLengthString(40);
        size_t workSize = in.ConsumeIntegralInRange<size_t>(1, qvr::kSearchRowBufferSize);
        auto work = qvrfuzz::ExactBuffer(workSize);
        SHORT row = qvr::SearchRowIn(image.bytes, section.c_str(), field, match.c_str(), work.get(),
                                     workSize);
        QVR_FUZZ_CHECK(row >= -1);
        QVR_FUZZ_CHECK(row == -1 || static_cast<size_t>(row) < image.lines.size());
        break;
    }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    qvrfuzz::ChooseCodePage(in);
    // The script text is the front of the input (a seed file as it is), its
    // length taken from the input's end; the queries use what is left.
    std::string text =
        in.ConsumeBytesAsString(in.ConsumeIntegralInRange<size_t>(0, in.remaining_bytes()));
    Image image = Build(text);
    for (int i = 0; i < 32 && in.remaining_bytes() > 0; ++i)
        RunQuery(in, image);
    qvr::ReleaseImage(image.bytes);
    qvrfuzz::DropMessageBoxes();
    return 0;
}
