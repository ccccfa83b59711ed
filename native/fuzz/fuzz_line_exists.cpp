// native/fuzz/fuzz_line_exists.cpp: the wildcard line search on fuzzed
// files and patterns. A match lies at or after the first index searched,
// searching again from the match finds the same line, and searching from the
// line after it finds a later line or none.
#include "fuzz_support.h"
#include "textfile/batch_text_file.h"
#include "textfile/ini_text_file.h"
#include "textfile/plain_text_file.h"

#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    qvrfuzz::ChooseCodePage(in);
    int type = in.ConsumeIntegralInRange(0, 2);
    DWORD ansiCase = in.ConsumeIntegralInRange(0, 1);
    std::string text =
        in.ConsumeBytesAsString(in.ConsumeIntegralInRange<size_t>(0, in.remaining_bytes()));

    PlainTextFile* file = type == 0   ? new PlainTextFile()
                          : type == 1 ? static_cast<PlainTextFile*>(new BatchTextFile())
                                      : static_cast<PlainTextFile*>(new IniTextFile());
    if (file->Open(qvrfuzz::WriteInputFile(text).c_str(), "REM", ";", nullptr, nullptr, ansiCase) ==
        1) {
        if (type == 2)
            file->SetSection(in.ConsumeRandomLengthString(40).c_str());
        int count = file->GetLineCount();
        for (int i = 0; i < 16 && in.remaining_bytes() > 0; ++i) {
            std::string pattern = in.ConsumeRandomLengthString(300);
            int first = in.ConsumeIntegralInRange(-2, count + 1);
            int comments = in.ConsumeIntegralInRange(0, 1);
            int found = file->LineExists(first, pattern.c_str(), comments);
            QVR_FUZZ_CHECK(found == -1 || (found >= 0 && found < count && found >= first));
            if (found < 0)
                continue;
            QVR_FUZZ_CHECK(file->LineExists(found, pattern.c_str(), comments) == found);
            int later = file->LineExists(found + 1, pattern.c_str(), comments);
            QVR_FUZZ_CHECK(later == -1 || later > found);
        }
    }
    delete file;
    qvrfuzz::DropMessageBoxes();
    return 0;
}
