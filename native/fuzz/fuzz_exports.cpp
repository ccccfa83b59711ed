// native/fuzz/fuzz_exports.cpp: the script query and text file exports
// through their C entry points, as an installer calls them. A fuzzed script
// becomes the current script image and a fuzzed file a text file handle;
// then comes a run of fuzzed calls, with null and long strings, lines of
// the image and addresses beside it, bad and destroyed handles among the
// arguments. Answers stay within each export's set, output buffers are as
// long as the call may fill (the sanitizer catches a write past them), and
// nothing is left allocated once the script is closed.
#include "fuzz_support.h"
#include "qvrdll32.h"
#include "resources/resource_ids.h"
#include "script/script_context.h"
#include "script/script_image.h"

#include <vector>

namespace {

struct Script {
    char* image = nullptr;
    size_t size = 0;          // bytes of the image: no line is longer
    std::vector<char*> lines; // the stored lines' starts
};

Script LoadScript(const std::string& text) {
    Script script;
    script.image = qvr::BuildImageFromText(reinterpret_cast<const unsigned char*>(text.data()),
                                           text.size(), IDS_SCRIPT_TOO_BIG);
    if (script.image == nullptr || !qvr::StartScriptContext()) {
        qvr::ReleaseImage(script.image);
        return Script();
    }
    qvr::CurrentScriptContext()->scriptImage = script.image;
    script.size = GlobalSize(GlobalHandle(script.image));
    // Lines run up to the NUL NUL 0x1A end.
    for (char* p = script.image; p + 2 < script.image + script.size;) {
        if (*p != '\0')
            script.lines.push_back(p);
        p += std::strlen(p) + 1;
        if (p[0] == '\0' && p[1] == '\x1A')
            break;
    }
    return script;
}

// A line of the image, an address inside one, null, or an address beside the
// image (which the exports must not walk from).
char* PickLine(FuzzedDataProvider& in, const Script& script, char* outside) {
    switch (in.ConsumeIntegralInRange(0, 3)) {
    case 0:
        return nullptr;
    case 1:
        return outside;
    default:
        if (script.lines.empty())
            return nullptr;
        char* line = script.lines[in.ConsumeIntegralInRange<size_t>(0, script.lines.size() - 1)];
        return line + in.ConsumeIntegralInRange<size_t>(0, std::strlen(line));
    }
}

std::string Name(FuzzedDataProvider& in) {
    return in.ConsumeRandomLengthString(in.ConsumeBool() ? 24 : 700);
}

void QueryScript(FuzzedDataProvider& in, const Script& script, char* outside) {
    auto out = qvrfuzz::ExactBuffer(script.size + 1);
    char* image = in.ConsumeBool() ? script.image : nullptr; // null: the script
    std::string a = Name(in), b = Name(in);
    switch (in.ConsumeIntegralInRange(0, 8)) {
    case 0: {
        char* section = InfFindSection(image, a.c_str());
        QVR_FUZZ_CHECK(section == nullptr ||
                       (section > script.image && section < script.image + script.size));
        break;
    }
    case 1:
        QVR_FUZZ_CHECK(InfGetProfileString(image, a.c_str(), b.c_str(), out.get()) <= 1);
        break;
    case 2:
        QVR_FUZZ_CHECK(InfParseField(PickLine(in, script, outside), in.ConsumeIntegral<WORD>(),
                                     out.get()) <= 1);
        break;
    case 3: {
        char* line = PickLine(in, script, outside);
        if (line == outside)
            break;
        char* next = InfNextLine(line);
        QVR_FUZZ_CHECK(next == nullptr || next > line);
        QVR_FUZZ_CHECK(InfLineCount(line) >= 0);
        break;
    }
    case 4: {
        char* start = InfPrevLine(PickLine(in, script, outside));
        QVR_FUZZ_CHECK(start == nullptr ||
                       (start >= script.image && start < script.image + script.size));
        break;
    }
    case 5: {
        auto keyPath = qvrfuzz::ExactBuffer(a.size() + 1, a);
        QVR_FUZZ_CHECK(InfLookup(keyPath.get(), out.get()) <= 1);
        // A separate output leaves the path as it was.
        QVR_FUZZ_CHECK(std::strcmp(a.c_str(), keyPath.get()) == 0);
        char* named = InfGetNamedSection(keyPath.get());
        QVR_FUZZ_CHECK(named >= keyPath.get() && named <= keyPath.get() + std::strlen(a.c_str()));
        break;
    }
    case 6:
        QVR_FUZZ_CHECK(InfSearchRow(a.c_str(), in.ConsumeIntegral<WORD>(), b.c_str()) >= -1);
        break;
    case 7:
        QVR_FUZZ_CHECK(InfGetScriptPtr() == script.image && InfGetDiskInfPtr() == nullptr);
        break;
    default:
        InfCloseDiskInf(); // there is none: nothing happens
        QVR_FUZZ_CHECK(InfGetScriptPtr() == script.image);
        break;
    }
}

void EditTextFile(FuzzedDataProvider& in, DWORD handle) {
    int count = TFGetLineCount(handle);
    int index = in.ConsumeIntegralInRange(-2, count + 1);
    std::string text = in.ConsumeRandomLengthString(in.ConsumeBool() ? 40 : 700);
    switch (in.ConsumeIntegralInRange(0, 13)) {
    case 0:
        (in.ConsumeBool() ? TFAddLineTop : TFAddLineTail)(handle, text.c_str());
        break;
    case 1:
        TFInsertLine(handle, text.c_str(), index);
        break;
    case 2: {
        DWORD flags = TFGetLineFlags(handle, index);
        QVR_FUZZ_CHECK((index >= 0 && index < count) || flags == QVR_NO_LINE_FLAGS);
        TFSetLineFlags(handle, index, in.ConsumeIntegral<DWORD>() & 0xFFF);
        break;
    }
    case 3: {
        int size = in.ConsumeIntegralInRange(-1, 600);
        auto buffer = qvrfuzz::ExactBuffer(static_cast<size_t>(size < 0 ? 0 : size) + 1);
        auto get = in.ConsumeBool() ? TFGetLineText : TFGetParsedLineText;
        LPSTR got = get(handle, index, buffer.get(), size);
        QVR_FUZZ_CHECK(got == nullptr || got == buffer.get());
        break;
    }
    case 4:
        TFSetLineText(handle, index, text.c_str());
        break;
    case 5:
        (in.ConsumeBool() ? TFRemLine : TFDeleteLine)(handle, index);
        break;
    case 6:
        QVR_FUZZ_CHECK(TFLineExists(handle, index, text.c_str(), in.ConsumeBool()) >= -1);
        break;
    case 7: {
        DWORD expected = TFGetSize(handle);
        DWORD size = 0xDEADBEEF;
        if (char* output = TFCreateOutput(handle, &size)) {
            QVR_FUZZ_CHECK(size == expected && output[size] == '\0');
            GlobalFree(GlobalHandle(output));
        }
        break;
    }
    case 8:
        QVR_FUZZ_CHECK(TFAddPath(handle, text.c_str()) >= -1);
        QVR_FUZZ_CHECK(TFPathExists(handle, text.c_str()) <= 1 && TFCheckPathLen(handle) <= 1);
        break;
    case 9:
        (in.ConsumeBool() ? TFAddTopCommon : TFAddBottomCommon)(handle);
        QVR_FUZZ_CHECK(TFIsCommonAddedTop(handle) <= 1 && TFIsCommonAddedBottom(handle) <= 1);
        break;
    case 10:
        QVR_FUZZ_CHECK(TFSetSection(handle, text.c_str()) >= -1);
        break;
    case 11:
        TFClearSection(handle);
        break;
    case 12:
        TFBeforeWin(handle, text.c_str());
        break;
    default:
        QVR_FUZZ_CHECK(IsValidTextFile(handle) <= 1);
        break;
    }
    QVR_FUZZ_CHECK(TFGetLineCount(handle) >= 0);
}

} // namespace

void qvrfuzz::FuzzOne(FuzzedDataProvider& in) {
    static const int kTypes[] = {QVR_TEXT_BATCH, QVR_TEXT_CONFIG, QVR_TEXT_INI, QVR_TEXT_PLAIN, 3};
    static const char* const kMarkers[] = {"REM", "::", ";", nullptr};
    Script script = LoadScript(in.ConsumeRandomLengthString(4096));
    if (script.image == nullptr)
        return;
    char outside[8] = "x=y";
    const char* path = WriteInputFile(in.ConsumeRandomLengthString(4096));
    int handle = CreateTextFileObject(
        path, kTypes[in.ConsumeIntegralInRange(0, 4)], kMarkers[in.ConsumeIntegralInRange(0, 3)],
        kMarkers[in.ConsumeIntegralInRange(0, 3)], nullptr, nullptr, in.ConsumeBool());
    QVR_FUZZ_CHECK(handle == -1 || (handle >= 1 && handle <= 5));
    // Calls on the handle, on no handle, and on one destroyed on the way.
    DWORD handles[] = {static_cast<DWORD>(handle), 0, 6};
    while (in.remaining_bytes() > 0) {
        if (in.ConsumeBool())
            QueryScript(in, script, outside);
        else
            EditTextFile(in, handles[in.ConsumeIntegralInRange(0, 2)]);
        if (handle != -1 && in.ConsumeIntegralInRange(0, 63) == 0) {
            QVR_FUZZ_CHECK(DestroyTextFileObject(static_cast<DWORD>(handle)) == 1);
            QVR_FUZZ_CHECK(IsValidTextFile(static_cast<DWORD>(handle)) == 0);
            handle = -1;
        }
    }
    if (handle != -1)
        QVR_FUZZ_CHECK(DestroyTextFileObject(static_cast<DWORD>(handle)) == 1);
    InfClose();
    QVR_FUZZ_CHECK(InfGetScriptPtr() == nullptr);
}
