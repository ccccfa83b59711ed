// native/fuzz/fuzz_image.cpp: script and disks.inf image building. The
// image's block ends exactly with its end mark, NUL NUL 0x1A NUL.
#include "fuzz_support.h"
#include "resources/resource_ids.h"
#include "script/script_image.h"

void qvrfuzz::FuzzOne(FuzzedDataProvider& in) {
    bool diskInf = in.ConsumeBool();
    static const char* const kPrefixes[] = {"disk", "DISK1", "d", "disks.", "Setup"};
    const char* prefix = kPrefixes[in.ConsumeIntegralInRange(0, 4)];
    std::string text = in.ConsumeRemainingBytesAsString();
    char* image = diskInf
                      ? qvr::BuildDiskInfImage(qvrfuzz::WriteInputFile(text), prefix)
                      : qvr::BuildImageFromText(reinterpret_cast<const unsigned char*>(text.data()),
                                                text.size(), IDS_SCRIPT_TOO_BIG);
    QVR_FUZZ_CHECK(image != nullptr || diskInf);
    if (image != nullptr) {
        SIZE_T bytes = GlobalSize(GlobalHandle(image));
        QVR_FUZZ_CHECK(bytes >= 4 && std::memcmp(image + bytes - 4, "\0\0\x1A\0", 4) == 0);
        qvr::ReleaseImage(image);
    }
}
