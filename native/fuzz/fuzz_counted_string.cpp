// native/fuzz/fuzz_counted_string.cpp: fuzzed sequences of counted string
// operations on a few strings. The text always ends inside the buffer, its
// length never exceeds the capacity, and every index reaches only bytes the
// string owns.
#include "fuzz_support.h"
#include "util/counted_string.h"

#include <cstring>
#include <string>

namespace {

void CheckString(const CountedString& s) {
    const char* text = s.GetString();
    if (text == nullptr) {
        QVR_FUZZ_CHECK(s.GetLength() == 0);
        return;
    }
    int capacity = s.GetCapacity();
    QVR_FUZZ_CHECK(capacity > 0);
    QVR_FUZZ_CHECK(std::memchr(text, '\0', static_cast<size_t>(capacity)) != nullptr);
    QVR_FUZZ_CHECK(s.GetLength() == static_cast<int>(std::strlen(text)));
}

// A byte to store at `target`: any printable one, but NUL into the buffer's
// last byte, which callers keep for the terminator (writing text there is
// theirs to avoid, as with GetBuffer).
char Stored(FuzzedDataProvider& in, const CountedString& s, const char* target) {
    char c = in.ConsumeIntegralInRange<char>('!', '~');
    const char* text = s.GetString();
    if (text != nullptr && target == text + s.GetCapacity() - 1)
        return '\0';
    return c;
}

void Step(FuzzedDataProvider& in, CountedString* strings, int count) {
    CountedString& s = strings[in.ConsumeIntegralInRange(0, count - 1)];
    CountedString& other = strings[in.ConsumeIntegralInRange(0, count - 1)];
    switch (in.ConsumeIntegralInRange(0, 15)) {
    case 0:
        s = in.ConsumeRandomLengthString(1200).c_str();
        break;
    case 1:
        s = in.ConsumeIntegral<char>();
        break;
    case 2:
        s = other;
        break;
    case 3: {
        CountedString copy(other);
        CheckString(copy);
        QVR_FUZZ_CHECK(other.GetString() == nullptr ||
                       std::strcmp(copy.GetString(), other.GetString()) == 0);
        break;
    }
    case 4:
        s.SetCapacity(in.ConsumeIntegralInRange(-5, 2000));
        break;
    case 5:
        s.GetAt(in.ConsumeIntegralInRange(-3, 2100));
        break;
    case 6: {
        int i = in.ConsumeIntegralInRange(-3, 2100);
        s.SetAt(i, Stored(in, s, s.GetString() != nullptr ? s.GetString() + i : nullptr));
        break;
    }
    case 7: {
        int i = in.ConsumeIntegralInRange(-3, 2100);
        char& byte = s[i];
        byte = Stored(in, s, &byte);
        break;
    }
    case 8: {
        char& byte = s[in.ConsumeIntegral<WORD>()];
        byte = Stored(in, s, &byte);
        break;
    }
    case 9: {
        char* p = s + in.ConsumeIntegralInRange(-3, 2100);
        *p = Stored(in, s, p);
        break;
    }
    case 10:
        if (in.ConsumeBool())
            s.MakeLower();
        else
            s.MakeUpper();
        break;
    case 11:
        if (in.ConsumeBool())
            s.MakeLowerAscii();
        else
            s.MakeUpperAscii();
        break;
    case 12:
        if (in.ConsumeBool())
            s.AnsiToOem();
        else
            s.OemToAnsi();
        break;
    case 13:
        s.Clear();
        break;
    case 14:
        s.Release();
        break;
    case 15: {
        // A new string of a fuzzed capacity replaces this one.
        CountedString sized(in.ConsumeIntegralInRange(0, 1500));
        CheckString(sized);
        s = sized;
        break;
    }
    }
    CheckString(s);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    qvrfuzz::ChooseCodePage(in);
    {
        CountedString strings[3];
        for (int i = 0; i < 40 && in.remaining_bytes() > 0; ++i)
            Step(in, strings, 3);
        for (const CountedString& s : strings)
            CheckString(s);
    }
    return 0;
}
