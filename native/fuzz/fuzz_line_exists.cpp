// native/fuzz/fuzz_line_exists.cpp: the wildcard line search on fuzzed files
// and patterns. A match lies at or after the first index searched, searching
// from the match finds it again, and searching from the next line finds a
// later line or none.
#include "fuzz_support.h"

void qvrfuzz::FuzzOne(FuzzedDataProvider& in) {
    std::unique_ptr<TextFile> file = qvrfuzz::OpenTextFile(in);
    if (file == nullptr)
        return;
    if (in.ConsumeBool())
        file->SetSection(in.ConsumeRandomLengthString(40).c_str());
    int count = file->GetLineCount();
    for (int i = 0; i < 16 && in.remaining_bytes() > 0; ++i) {
        std::string pattern = in.ConsumeRandomLengthString(300);
        int first = in.ConsumeIntegralInRange(-2, count + 1);
        int comments = in.ConsumeBool();
        int found = file->LineExists(first, pattern.c_str(), comments);
        QVR_FUZZ_CHECK(found == -1 || (found >= first && found >= 0 && found < count));
        if (found >= 0) {
            QVR_FUZZ_CHECK(file->LineExists(found, pattern.c_str(), comments) == found);
            int later = file->LineExists(found + 1, pattern.c_str(), comments);
            QVR_FUZZ_CHECK(later == -1 || later > found);
        }
    }
}
