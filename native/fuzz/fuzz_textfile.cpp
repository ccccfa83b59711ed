// native/fuzz/fuzz_textfile.cpp: loading a fuzzed file as each of the four
// text file types, then a fuzzed sequence of operations. After every step:
// each line's flags come from the documented set, a line the step did not
// address keeps its text and index, queries change nothing, and GetSize
// equals the length of the output image.
#include "fuzz_support.h"
#include "textfile/batch_text_file.h"
#include "textfile/config_text_file.h"
#include "textfile/ini_text_file.h"
#include "textfile/line_flags.h"
#include "textfile/plain_text_file.h"

#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr DWORD kDocumentedFlags =
    LINE_ADDED | LINE_REMARKED | LINE_COMMENT | LINE_DELETED | LINE_PATH | LINE_SET_PATH |
    LINE_PATH_ABSOLUTE | LINE_ASSIGNMENT | LINE_PATH_EXTENDED | LINE_SECTION | LINE_COMMON;
// Lines compared before and after each step (the rest only counted).
constexpr int kComparedLines = 48;

struct Snapshot {
    int count;
    std::vector<std::string> texts;
    std::vector<DWORD> flags;
};

Snapshot Take(TextFile& file) {
    Snapshot s{file.GetLineCount(), {}, {}};
    char buffer[512];
    for (int i = 0; i < s.count && i < kComparedLines; ++i) {
        LPSTR text = file.GetLineText(i, buffer, 511);
        QVR_FUZZ_CHECK(text == buffer);
        s.texts.emplace_back(buffer);
        s.flags.push_back(file.GetLineFlags(i));
    }
    return s;
}

void CheckFlags(TextFile& file) {
    int count = file.GetLineCount();
    for (int i = 0; i < count; ++i)
        QVR_FUZZ_CHECK((file.GetLineFlags(i) & ~kDocumentedFlags) == 0);
    QVR_FUZZ_CHECK(file.GetLineFlags(count) == NO_LINE_FLAGS);
    QVR_FUZZ_CHECK(file.GetLineFlags(-1) == NO_LINE_FLAGS);
}

void CheckOutput(TextFile& file) {
    DWORD expected = file.GetSize();
    DWORD size = 0xDEADBEEF;
    char* image = file.CreateOutput(&size);
    if (image == nullptr)
        return;
    QVR_FUZZ_CHECK(size == expected);
    QVR_FUZZ_CHECK(image[size] == '\0');
    GlobalFree(GlobalHandle(image));
}

// Lines other than `except` (-1: none) keep text, flags and index.
void CheckUnchanged(const Snapshot& before, TextFile& file, int except) {
    Snapshot after = Take(file);
    QVR_FUZZ_CHECK(after.count == before.count);
    for (size_t i = 0; i < before.texts.size(); ++i) {
        if (static_cast<int>(i) == except)
            continue;
        QVR_FUZZ_CHECK(after.texts[i] == before.texts[i]);
        QVR_FUZZ_CHECK(after.flags[i] == before.flags[i]);
    }
}

int PickIndex(FuzzedDataProvider& in, int count) {
    return in.ConsumeIntegralInRange(-2, count + 1);
}

std::string Text(FuzzedDataProvider& in) {
    return in.ConsumeRandomLengthString(700);
}

void Step(FuzzedDataProvider& in, TextFile& file) {
    Snapshot before = Take(file);
    int count = before.count;
    int operation = in.ConsumeIntegralInRange(0, 20);
    switch (operation) {
    case 0:
        file.AddLineTop(Text(in).c_str());
        break;
    case 1:
        file.AddLineTail(Text(in).c_str());
        break;
    case 2: {
        std::string text = Text(in);
        file.InsertLine(text.c_str(), PickIndex(in, count));
        break;
    }
    case 3: {
        int index = PickIndex(in, count);
        DWORD flags = in.ConsumeIntegral<DWORD>() & kDocumentedFlags;
        file.SetLineFlags(index, flags);
        CheckUnchanged(before, file, index);
        if (index >= 0 && index < count)
            QVR_FUZZ_CHECK(file.GetLineFlags(index) == flags);
        return;
    }
    case 4:
    case 5: {
        // Read-back into a buffer of exactly size + 1 bytes.
        int index = PickIndex(in, count);
        int size = in.ConsumeIntegralInRange(0, 600);
        auto buffer = qvrfuzz::ExactBuffer(static_cast<size_t>(size) + 1);
        LPSTR text = in.ConsumeBool() ? file.GetLineText(index, buffer.get(), size)
                                      : file.GetParsedLineText(index, buffer.get(), size);
        QVR_FUZZ_CHECK(text == nullptr || text == buffer.get());
        if (text != nullptr)
            QVR_FUZZ_CHECK(std::strlen(text) <= static_cast<size_t>(size));
        break;
    }
    case 6: {
        int index = PickIndex(in, count);
        file.SetLineText(index, Text(in).c_str());
        CheckUnchanged(before, file, index);
        return;
    }
    case 7: {
        int index = PickIndex(in, count);
        file.RemLine(index);
        CheckUnchanged(before, file, index);
        return;
    }
    case 8: {
        int index = PickIndex(in, count);
        file.DeleteLine(index);
        CheckUnchanged(before, file, index);
        return;
    }
    case 9: {
        int first = PickIndex(in, count);
        std::string pattern = in.ConsumeRandomLengthString(80);
        int found = file.LineExists(first, pattern.c_str(), in.ConsumeIntegralInRange(0, 1));
        QVR_FUZZ_CHECK(found == -1 || (found >= 0 && found < count && found >= first));
        break;
    }
    case 10:
        CheckOutput(file);
        break;
    case 11: {
        LONG result = -7;
        file.AddPath(in.ConsumeRandomLengthString(300).c_str(), &result);
        break;
    }
    case 12: {
        int exists = file.PathExists(in.ConsumeRandomLengthString(300).c_str());
        QVR_FUZZ_CHECK(exists >= -1);
        file.CheckPathLen();
        break;
    }
    case 13:
        if (in.ConsumeBool())
            file.AddTopCommon();
        else
            file.AddBottomCommon();
        break;
    case 14:
        file.IsCommonAddedTop();
        file.IsCommonAddedBottom();
        break;
    case 15:
        file.SetSection(in.ConsumeRandomLengthString(80).c_str());
        break;
    case 16:
        file.ClearSection();
        break;
    case 17:
        file.BeforeWin(Text(in).c_str());
        break;
    case 18: {
        std::string source = Text(in);
        int size = in.ConsumeIntegralInRange(0, 600);
        auto destination = qvrfuzz::ExactBuffer(static_cast<size_t>(size) + 1);
        file.ParseText(source.c_str(), destination.get(), size);
        QVR_FUZZ_CHECK(std::memchr(destination.get(), '\0', static_cast<size_t>(size) + 1) !=
                       nullptr);
        QVR_FUZZ_CHECK((file.ClassifyLine(source.c_str()) & ~kDocumentedFlags) == 0);
        break;
    }
    case 19: {
        LineList* list = file.CollectPathList();
        if (list != nullptr)
            for (int i = 0; i < list->GetCount(); ++i)
                QVR_FUZZ_CHECK(list->GetAt(i) != nullptr);
        qvr::FreePathList(list);
        break;
    }
    case 20:
        CheckFlags(file);
        break;
    }
    // Additions add lines; nothing removes one. AddPath writes a new line
    // after every PATH line it extends, and may add one of its own.
    int after = file.GetLineCount();
    int most = operation == 11 ? 2 * count + 1 : count + 3;
    if (after < count || after > most)
        std::fprintf(stderr, "operation %d: %d lines, then %d\n", operation, count, after);
    QVR_FUZZ_CHECK(after >= count);
    QVR_FUZZ_CHECK(after <= most);
}

TextFile* NewFile(int type) {
    switch (type) {
    case 0:
        return new BatchTextFile();
    case 1:
        return new ConfigTextFile();
    case 2:
        return new IniTextFile();
    default:
        return new PlainTextFile();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    qvrfuzz::ChooseCodePage(in);
    int type = in.ConsumeIntegralInRange(0, 3);
    static const char* const kMarkers[] = {"REM", "::", ";", "#", "rem", nullptr};
    const char* marker1 = kMarkers[in.ConsumeIntegralInRange(0, 5)];
    const char* marker2 = kMarkers[in.ConsumeIntegralInRange(0, 5)];
    DWORD ansiCase = in.ConsumeIntegralInRange(0, 1);
    std::string text =
        in.ConsumeBytesAsString(in.ConsumeIntegralInRange<size_t>(0, in.remaining_bytes()));

    TextFile* file = NewFile(type);
    if (file->Open(qvrfuzz::WriteInputFile(text).c_str(), marker1, marker2, nullptr, nullptr,
                   ansiCase) == 1) {
        CheckFlags(*file);
        CheckOutput(*file);
        for (int i = 0; i < 24 && in.remaining_bytes() > 0; ++i)
            Step(in, *file);
        CheckFlags(*file);
        CheckOutput(*file);
    }
    delete file;
    qvrfuzz::DropMessageBoxes();
    return 0;
}
