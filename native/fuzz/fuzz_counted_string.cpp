// native/fuzz/fuzz_counted_string.cpp: fuzzed sequences of counted string
// operations on three strings. The text always ends inside the buffer and
// GetLength is its length.
#include "fuzz_support.h"
#include "util/counted_string.h"

namespace {

void CheckString(const CountedString& s) {
    const char* text = s.GetString();
    QVR_FUZZ_CHECK(text != nullptr || s.GetLength() == 0);
    if (text != nullptr) {
        QVR_FUZZ_CHECK(s.GetCapacity() > 0);
        QVR_FUZZ_CHECK(std::memchr(text, '\0', static_cast<size_t>(s.GetCapacity())) != nullptr);
        QVR_FUZZ_CHECK(s.GetLength() == static_cast<int>(std::strlen(text)));
    }
}

// A printable byte to store at `target`, but NUL into the buffer's last byte:
// keeping the terminator there is the caller's duty.
char Stored(FuzzedDataProvider& in, const CountedString& s, const char* target) {
    char c = in.ConsumeIntegralInRange<char>('!', '~');
    const char* text = s.GetString();
    return text != nullptr && target == text + s.GetCapacity() - 1 ? '\0' : c;
}

void Step(FuzzedDataProvider& in, CountedString* strings) {
    CountedString& s = strings[in.ConsumeIntegralInRange(0, 2)];
    const CountedString& other = strings[in.ConsumeIntegralInRange(0, 2)];
    int i = in.ConsumeIntegralInRange(-3, 2100);
    switch (in.ConsumeIntegralInRange(0, 10)) {
    case 0:
        s = in.ConsumeRandomLengthString(1200).c_str();
        break;
    case 1:
        s = in.ConsumeIntegral<char>();
        break;
    case 2: {
        CountedString copy(other);
        s = copy;
        QVR_FUZZ_CHECK(other.GetString() == nullptr ||
                       std::strcmp(s.GetString(), other.GetString()) == 0);
        break;
    }
    case 3:
        s = other;
        break;
    case 4:
        s.SetCapacity(in.ConsumeIntegralInRange(-5, 2000));
        break;
    case 5:
        s = CountedString(in.ConsumeIntegralInRange(0, 1500));
        break;
    case 6:
        s.GetAt(i);
        break;
    case 7:
        s.SetAt(i, Stored(in, s, s.GetString() != nullptr ? s.GetString() + i : nullptr));
        break;
    case 8: {
        char& byte = in.ConsumeBool() ? s[i] : s[in.ConsumeIntegral<WORD>()];
        byte = Stored(in, s, &byte);
        break;
    }
    case 9: {
        char* p = s + i;
        *p = Stored(in, s, p);
        break;
    }
    case 10: {
        static void (CountedString::*const kInPlace[])() = {
            &CountedString::MakeLower,      &CountedString::MakeUpper,
            &CountedString::MakeLowerAscii, &CountedString::MakeUpperAscii,
            &CountedString::AnsiToOem,      &CountedString::OemToAnsi,
            &CountedString::Clear,          &CountedString::Release};
        (s.*kInPlace[in.ConsumeIntegralInRange(0, 7)])();
        break;
    }
    }
    CheckString(s);
}

} // namespace

void qvrfuzz::FuzzOne(FuzzedDataProvider& in) {
    CountedString strings[3];
    for (int i = 0; i < 40 && in.remaining_bytes() > 0; ++i)
        Step(in, strings);
    for (const CountedString& s : strings)
        CheckString(s);
}
