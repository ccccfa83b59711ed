// support/gtest_single_thread.h: force-included into GoogleTest's own sources
// in the 32-bit build, which compiles GoogleTest without thread support
// (GTEST_IS_THREADSAFE=0; see tests/CMakeLists.txt). Its Windows death-test
// code still uses the handle owner that GoogleTest only declares for thread
// support; this is that class, closing its handle the same way.
#pragma once

#include <windows.h>

namespace testing {
namespace internal {

class AutoHandle {
  public:
    typedef void* Handle;
    AutoHandle() : handle_(INVALID_HANDLE_VALUE) {}
    explicit AutoHandle(Handle handle) : handle_(handle) {}
    AutoHandle(const AutoHandle&) = delete;
    AutoHandle& operator=(const AutoHandle&) = delete;
    ~AutoHandle() { Reset(); }

    Handle Get() const { return handle_; }
    void Reset() { Reset(INVALID_HANDLE_VALUE); }
    void Reset(Handle handle) {
        if (handle_ != handle) {
            if (IsCloseable())
                ::CloseHandle(handle_);
            handle_ = handle;
        }
    }

  private:
    bool IsCloseable() const { return handle_ != nullptr && handle_ != INVALID_HANDLE_VALUE; }
    Handle handle_;
};

} // namespace internal
} // namespace testing
