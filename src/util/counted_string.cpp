// util/counted_string.cpp
#include "util/counted_string.h"

#include "runtime/process_end.h"
#include "util/global_memory.h"

#include <cstring>

namespace {
// What operator[] hands out for the null string; overwritten freely.
char nullStringByte;
} // namespace

CountedString::CountedString() { Allocate(kDefaultCapacity); }

CountedString::CountedString(int n) { Allocate(n); }

CountedString::CountedString(const CountedString& other) {
    Allocate(other.capacity);
    if (!other.IsEmpty())
        lstrcpynA(buffer, other.buffer, capacity);
}

CountedString::~CountedString() { Free(); }

CountedString& CountedString::operator=(const CountedString& other) {
    if (this == &other)
        return *this;
    if (other.capacity > capacity)
        Reallocate(other.capacity);
    if (other.buffer != nullptr && buffer != nullptr)
        lstrcpynA(buffer, other.buffer, capacity);
    return *this;
}

CountedString& CountedString::operator=(const char* text) {
    if (text == nullptr) {
        Clear();
        return *this;
    }
    int length = lstrlenA(text);
    if (capacity <= length)
        Reallocate(length + 1);
    // The text may live in this very buffer; memmove copes with that.
    std::memmove(buffer, text, static_cast<size_t>(length) + 1);
    return *this;
}

CountedString& CountedString::operator=(char c) {
    if (buffer == nullptr)
        Allocate(kDefaultCapacity);
    // A character needs two bytes with its terminator; a one-byte buffer is
    // replaced, as for a one-character text.
    if (c != '\0' && capacity < 2)
        Reallocate(2);
    Clear();
    buffer[0] = c;
    return *this;
}

int CountedString::GetLength() const { return buffer == nullptr ? 0 : lstrlenA(buffer); }

BOOL CountedString::IsEmpty() const { return buffer == nullptr || buffer[0] == '\0'; }

void CountedString::Clear() {
    if (buffer != nullptr)
        std::memset(buffer, 0, static_cast<size_t>(capacity));
}

void CountedString::Release() { Free(); }

BOOL CountedString::SetCapacity(int newCapacity) {
    Reallocate(newCapacity);
    return TRUE;
}

char CountedString::GetAt(int i) const {
    if (buffer == nullptr || i < 0 || i >= capacity)
        return '\0';
    return buffer[i];
}

void CountedString::SetAt(int i, char c) {
    if (buffer != nullptr && i >= 0 && i < capacity)
        buffer[i] = c;
}

char& CountedString::Last() {
    if (buffer == nullptr)
        return nullStringByte;
    return buffer[capacity - 1];
}

char& CountedString::operator[](int i) {
    if (buffer == nullptr || i < 0 || i >= capacity)
        return Last();
    return buffer[i];
}

char& CountedString::operator[](WORD i) {
    if (buffer == nullptr || i >= LOWORD(capacity))
        return Last();
    return buffer[i];
}

char* operator+(const CountedString& s, int i) {
    if (s.buffer == nullptr)
        return &nullStringByte;
    if (i < 0 || i >= s.capacity)
        return s.buffer + s.capacity - 1;
    return s.buffer + i;
}

char* operator+(int i, const CountedString& s) { return s + i; }

void CountedString::MakeLower() {
    if (buffer != nullptr)
        CharLowerA(buffer);
}

void CountedString::MakeUpper() {
    if (buffer != nullptr)
        CharUpperA(buffer);
}

void CountedString::MakeLowerAscii() {
    if (buffer == nullptr)
        return;
    for (char* p = buffer; *p != '\0'; ++p) // ASCII only: bytes, not characters
        if (*p >= 'A' && *p <= 'Z')
            *p = static_cast<char>(*p - 'A' + 'a');
}

void CountedString::MakeUpperAscii() {
    if (buffer == nullptr)
        return;
    for (char* p = buffer; *p != '\0'; ++p)
        if (*p >= 'a' && *p <= 'z')
            *p = static_cast<char>(*p - 'a' + 'A');
}

void CountedString::AnsiToOem() {
    if (buffer != nullptr)
        ::CharToOemA(buffer, buffer);
}

void CountedString::OemToAnsi() {
    if (buffer != nullptr)
        ::OemToCharA(buffer, buffer);
}

void CountedString::Allocate(int n) {
    if (n <= 0) {
        capacity = 0;
        buffer = nullptr;
        return;
    }
    buffer = static_cast<char*>(qvr::AllocGlobalLocked(static_cast<SIZE_T>(n)));
    if (buffer == nullptr)
        qvr::EndProcess(); // out of memory is fatal for a counted string, silently
    capacity = n;
}

void CountedString::Free() {
    qvr::FreeGlobalLocked(buffer);
    capacity = 0;
    buffer = nullptr;
}

void CountedString::Reallocate(int n) {
    Free();
    Allocate(n);
}
