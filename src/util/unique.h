// util/unique.h: one move-only owner for every kind of Windows handle and
// global block the library holds. Each traits struct names the handle type,
// its invalid value and its close function.
#pragma once

#include <windows.h>
#include <lzexpand.h>

namespace qvr {

template <class Traits> class Unique {
  public:
    using Type = typename Traits::Type;

    explicit Unique(Type h = Traits::invalid()) : h_(h) {}
    Unique(const Unique&) = delete;
    Unique& operator=(const Unique&) = delete;
    Unique(Unique&& other) noexcept : h_(other.release()) {}
    Unique& operator=(Unique&& other) noexcept {
        if (this != &other)
            reset(other.release());
        return *this;
    }
    ~Unique() { reset(); }

    Type get() const { return h_; }
    bool valid() const { return Traits::isValid(h_); }
    explicit operator bool() const { return valid(); }

    // Gives up ownership: the caller closes the handle from now on.
    Type release() {
        Type h = h_;
        h_ = Traits::invalid();
        return h;
    }
    // Closes what is held (if anything) and takes h.
    void reset(Type h = Traits::invalid()) {
        if (Traits::isValid(h_))
            Traits::close(h_);
        h_ = h;
    }

  private:
    Type h_;
};

struct FileHandleTraits {
    using Type = HANDLE;
    static Type invalid() { return INVALID_HANDLE_VALUE; }
    static bool isValid(Type h) { return h != INVALID_HANDLE_VALUE && h != nullptr; }
    static void close(Type h) { CloseHandle(h); }
};
struct FindHandleTraits {
    using Type = HANDLE;
    static Type invalid() { return INVALID_HANDLE_VALUE; }
    static bool isValid(Type h) { return h != INVALID_HANDLE_VALUE && h != nullptr; }
    static void close(Type h) { FindClose(h); }
};
struct RegKeyTraits {
    using Type = HKEY;
    static Type invalid() { return nullptr; }
    static bool isValid(Type h) { return h != nullptr; }
    static void close(Type h) { RegCloseKey(h); }
};
struct GlobalBlockTraits {
    using Type = HGLOBAL;
    static Type invalid() { return nullptr; }
    static bool isValid(Type h) { return h != nullptr; }
    static void close(Type h) { GlobalFree(h); }
};
// An HFILE from OpenFile/_lcreat/_lopen.
struct HFileTraits {
    using Type = HFILE;
    static Type invalid() { return HFILE_ERROR; }
    static bool isValid(Type h) { return h != HFILE_ERROR; }
    static void close(Type h) { _lclose(h); }
};
// An LZ handle: negative values are LZ error codes.
struct LzHandleTraits {
    using Type = INT;
    static Type invalid() { return -1; }
    static bool isValid(Type h) { return h >= 0; }
    static void close(Type h) { LZClose(h); }
};

using FileHandle = Unique<FileHandleTraits>;
using FindHandle = Unique<FindHandleTraits>;
using RegKey = Unique<RegKeyTraits>;
using GlobalBlock = Unique<GlobalBlockTraits>;
using HFileHandle = Unique<HFileTraits>;
using LzHandle = Unique<LzHandleTraits>;

// Keeps the thread's last-error value across cleanup code.
class LastErrorGuard {
  public:
    LastErrorGuard() : saved_(GetLastError()) {}
    LastErrorGuard(const LastErrorGuard&) = delete;
    LastErrorGuard& operator=(const LastErrorGuard&) = delete;
    ~LastErrorGuard() { SetLastError(saved_); }

  private:
    DWORD saved_;
};

} // namespace qvr
