// native/fuzz/fuzz_image.cpp: script and disks.inf image building. Every
// image must end in NUL NUL 0x1A and one more zero byte, and the block must
// be exactly that long.
#include "fuzz_support.h"
#include "resources/resource_ids.h"
#include "script/script_image.h"
#include "script/tokenizer.h"

#include <cstring>

namespace {

void CheckImage(const char* image) {
    if (image == nullptr)
        return;
    SIZE_T size = GlobalSize(GlobalHandle(image));
    QVR_FUZZ_CHECK(size >= 4);
    QVR_FUZZ_CHECK(image[size - 1] == '\0');
    QVR_FUZZ_CHECK(image[size - 2] == static_cast<char>(qvr::kImageEndMarker));
    QVR_FUZZ_CHECK(image[size - 3] == '\0' && image[size - 4] == '\0');
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    // The flag and the section prefix come from the input's end, so a seed
    // file is parsed as it is.
    bool diskInf = in.ConsumeBool();
    static const char* const kPrefixes[] = {"disk", "DISK1", "d", "disks.", "Setup"};
    const char* prefix = kPrefixes[in.ConsumeIntegralInRange<size_t>(0, 4)];
    std::string text = in.ConsumeBytesAsString(in.remaining_bytes());
    if (!diskInf) {
        char* image = qvr::BuildImageFromText(reinterpret_cast<const unsigned char*>(text.data()),
                                              text.size(), IDS_SCRIPT_TOO_BIG);
        QVR_FUZZ_CHECK(image != nullptr);
        CheckImage(image);
        qvr::ReleaseImage(image);
    } else {
        char* image = qvr::BuildDiskInfImage(qvrfuzz::WriteInputFile(text).c_str(), prefix);
        CheckImage(image);
        qvr::ReleaseImage(image);
    }
    qvrfuzz::DropMessageBoxes();
    return 0;
}
