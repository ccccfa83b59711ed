// util/counted_string.h: the library's string object, a zero-filled buffer
// of known capacity in locked movable global memory. It has no appending or
// comparing of its own: users work on GetBuffer() with the platform's string
// functions. Running out of memory ends the process (exit code 3, as abort would).
#pragma once

#include <windows.h>

// winuser.h maps these old names to CharToOemA/OemToCharA; here they are
// the string's own operations.
#undef AnsiToOem
#undef OemToAnsi

class CountedString {
  public:
    static constexpr int kDefaultCapacity = 265;

    CountedString();
    explicit CountedString(int capacity);
    CountedString(const CountedString& other);
    ~CountedString();

    CountedString& operator=(const CountedString& other);
    CountedString& operator=(const char* text);
    CountedString& operator=(char c);

    int GetLength() const;
    int GetCapacity() const { return capacity; }
    BOOL IsEmpty() const;
    void Clear();
    void Release();
    BOOL SetCapacity(int newCapacity);

    char* GetBuffer() { return buffer; }
    const char* GetString() const { return buffer; }
    char GetAt(int i) const;
    void SetAt(int i, char c);

    // Index past the end refers to the buffer's last byte. A negative index
    // also refers to the last byte, and the null string to a static dummy
    // byte, so neither can reach outside memory the object owns.
    char& operator[](int i);
    char& operator[](WORD i);

    void MakeLower();
    void MakeUpper();
    void MakeLowerAscii();
    void MakeUpperAscii();
    void AnsiToOem();
    void OemToAnsi();

    friend char* operator+(const CountedString& s, int i);
    friend char* operator+(int i, const CountedString& s);

  private:
    void Allocate(int n);
    void Free();
    void Reallocate(int n);
    char& Last();

    int capacity = 0;
    char* buffer = nullptr;
};
