// native/fuzz/fuzz_textfile.cpp: a fuzzed file loaded as one of the four
// text file types, then fuzzed operations. Flags stay in the documented set;
// a change to one line leaves the others as they were, a query changes
// nothing, and nothing removes a line; GetSize is the output's length; the
// wildcard line search finds its matches again.
#include "fuzz_support.h"
#include "textfile/line_flags.h"

#include <vector>

namespace {

constexpr DWORD kDocumentedFlags =
    LINE_ADDED | LINE_REMARKED | LINE_COMMENT | LINE_DELETED | LINE_PATH | LINE_SET_PATH |
    LINE_PATH_ABSOLUTE | LINE_ASSIGNMENT | LINE_PATH_EXTENDED | LINE_SECTION | LINE_COMMON;

// The text and flags of the first 48 lines, and the line count.
struct Snapshot {
    int count;
    std::vector<std::pair<std::string, DWORD>> lines;

    explicit Snapshot(TextFile& file) : count(file.GetLineCount()) {
        char text[512];
        for (int i = 0; i < count && i < 48; ++i) {
            QVR_FUZZ_CHECK(file.GetLineText(i, text, 511) == text);
            lines.emplace_back(text, file.GetLineFlags(i));
        }
    }
};

void CheckFile(TextFile& file) {
    int count = file.GetLineCount();
    for (int i = 0; i < count; ++i)
        QVR_FUZZ_CHECK((file.GetLineFlags(i) & ~kDocumentedFlags) == 0);
    QVR_FUZZ_CHECK(file.GetLineFlags(count) == NO_LINE_FLAGS);
    QVR_FUZZ_CHECK(file.GetLineFlags(-1) == NO_LINE_FLAGS);
    DWORD expected = file.GetSize();
    DWORD size = 0xDEADBEEF;
    if (char* image = file.CreateOutput(&size)) {
        QVR_FUZZ_CHECK(size == expected && image[size] == '\0');
        GlobalFree(GlobalHandle(image));
    }
}

void Step(FuzzedDataProvider& in, TextFile& file) {
    Snapshot before(file);
    int index = in.ConsumeIntegralInRange(-2, before.count + 1);
    int operation = in.ConsumeIntegralInRange(0, 13);
    switch (operation) {
    // Changes to line `index`.
    case 0: {
        DWORD flags = in.ConsumeIntegral<DWORD>() & kDocumentedFlags;
        file.SetLineFlags(index, flags);
        QVR_FUZZ_CHECK(index < 0 || index >= before.count || file.GetLineFlags(index) == flags);
        break;
    }
    case 1:
        file.SetLineText(index, in.ConsumeRandomLengthString(700).c_str());
        break;
    case 2:
        (file.*(in.ConsumeBool() ? &TextFile::RemLine : &TextFile::DeleteLine))(index);
        break;
    // Queries.
    case 3: {
        // Read-back into exactly size + 1 bytes.
        int size = in.ConsumeIntegralInRange(0, 600);
        auto buffer = qvrfuzz::ExactBuffer(static_cast<size_t>(size) + 1);
        LPSTR text = in.ConsumeBool() ? file.GetLineText(index, buffer.get(), size)
                                      : file.GetParsedLineText(index, buffer.get(), size);
        QVR_FUZZ_CHECK(text == nullptr ||
                       (text == buffer.get() && std::strlen(text) <= size_t(size)));
        break;
    }
    case 4: {
        // A match lies at or after the first index searched; searching from
        // it finds it again, and from the next line a later one or none.
        std::string pattern = in.ConsumeRandomLengthString(300);
        int comments = in.ConsumeBool();
        int found = file.LineExists(index, pattern.c_str(), comments);
        QVR_FUZZ_CHECK(found == -1 || (found >= index && found >= 0 && found < before.count));
        if (found >= 0) {
            QVR_FUZZ_CHECK(file.LineExists(found, pattern.c_str(), comments) == found);
            int later = file.LineExists(found + 1, pattern.c_str(), comments);
            QVR_FUZZ_CHECK(later == -1 || later > found);
        }
        break;
    }
    case 5:
        CheckFile(file);
        break;
    case 6:
        QVR_FUZZ_CHECK(file.PathExists(in.ConsumeRandomLengthString(300).c_str()) >= -1);
        break;
    case 7: {
        static int (TextFile::*const kQueries[])() = {
            &TextFile::CheckPathLen, &TextFile::IsCommonAddedTop, &TextFile::IsCommonAddedBottom};
        (file.*kQueries[in.ConsumeIntegralInRange(0, 2)])();
        break;
    }
    case 8: {
        std::string source = in.ConsumeRandomLengthString(700);
        int size = in.ConsumeIntegralInRange(0, 600);
        auto destination = qvrfuzz::ExactBuffer(static_cast<size_t>(size) + 1);
        file.ParseText(source.c_str(), destination.get(), size);
        QVR_FUZZ_CHECK(std::memchr(destination.get(), '\0', size_t(size) + 1) != nullptr);
        QVR_FUZZ_CHECK((file.ClassifyLine(source.c_str()) & ~kDocumentedFlags) == 0);
        break;
    }
    case 9: {
        LineList* list = file.CollectPathList();
        for (int i = 0; list != nullptr && i < list->GetCount(); ++i)
            QVR_FUZZ_CHECK(list->GetAt(i) != nullptr);
        qvr::FreePathList(list);
        break;
    }
    // Additions and section changes.
    case 10: {
        std::string text = in.ConsumeRandomLengthString(700);
        static int (TextFile::*const kAdditions[])(LPCSTR) = {
            &TextFile::AddLineTop, &TextFile::AddLineTail, &TextFile::BeforeWin,
            &TextFile::SetSection};
        (file.*kAdditions[in.ConsumeIntegralInRange(0, 3)])(text.c_str());
        break;
    }
    case 11:
        file.InsertLine(in.ConsumeRandomLengthString(700).c_str(), index);
        break;
    case 12: {
        LONG result = -7;
        file.AddPath(in.ConsumeRandomLengthString(300).c_str(), &result);
        break;
    }
    case 13: {
        static int (TextFile::*const kCommon[])() = {
            &TextFile::AddTopCommon, &TextFile::AddBottomCommon, &TextFile::ClearSection};
        (file.*kCommon[in.ConsumeIntegralInRange(0, 2)])();
        break;
    }
    }
    if (operation <= 9) {
        Snapshot after(file);
        QVR_FUZZ_CHECK(after.count == before.count);
        for (size_t i = 0; i < before.lines.size(); ++i)
            if (static_cast<int>(i) != index || operation > 2)
                QVR_FUZZ_CHECK(after.lines[i] == before.lines[i]);
    } else {
        // AddPath writes a new line after every PATH line it extends, and
        // may add one of its own.
        int after = file.GetLineCount();
        QVR_FUZZ_CHECK(after >= before.count);
        QVR_FUZZ_CHECK(after <= (operation == 12 ? 2 * before.count + 1 : before.count + 3));
    }
}

} // namespace

void qvrfuzz::FuzzOne(FuzzedDataProvider& in) {
    if (std::unique_ptr<TextFile> file = qvrfuzz::OpenTextFile(in)) {
        CheckFile(*file);
        for (int i = 0; i < 24 && in.remaining_bytes() > 0; ++i)
            Step(in, *file);
        CheckFile(*file);
    }
}
