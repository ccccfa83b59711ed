// support/test_main.cpp: every test program's main. The internal library
// linked into the program gets the program's own instance handle, whose
// string table is the library's (each test program links the .rc file).
#include "frame/module_state.h"
#include "support/message_boxes.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>

namespace {

// GoogleTest's own printer also sends every failure and skip to
// OutputDebugStringA, which raises an exception to reach a debugger. 32-bit
// Wine under qemu-user cannot dispatch an exception once the process has a
// second thread (Wine starts some of its own, e.g. while waiting on another
// process): the process dies right after the failure or skip is printed. This
// printer forwards every event to the default one except the part results,
// which it prints itself, in the same format, to stdout only.
class PartResultPrinter : public ::testing::TestEventListener {
  public:
    explicit PartResultPrinter(::testing::TestEventListener* inner) : inner_(inner) {}

    void OnTestPartResult(const ::testing::TestPartResult& result) override {
        if (result.type() == ::testing::TestPartResult::kSuccess)
            return;
        const char* file = result.file_name() ? result.file_name() : "unknown file";
        if (result.line_number() >= 0)
            std::printf("%s:%d: ", file, result.line_number());
        else
            std::printf("%s: ", file);
        std::printf("%s\n%s\n", result.skipped() ? "Skipped" : "Failure", result.message());
        std::fflush(stdout);
    }

    void OnTestProgramStart(const ::testing::UnitTest& u) override {
        inner_->OnTestProgramStart(u);
    }
    void OnTestIterationStart(const ::testing::UnitTest& u, int i) override {
        inner_->OnTestIterationStart(u, i);
    }
    void OnEnvironmentsSetUpStart(const ::testing::UnitTest& u) override {
        inner_->OnEnvironmentsSetUpStart(u);
    }
    void OnEnvironmentsSetUpEnd(const ::testing::UnitTest& u) override {
        inner_->OnEnvironmentsSetUpEnd(u);
    }
    void OnTestSuiteStart(const ::testing::TestSuite& s) override { inner_->OnTestSuiteStart(s); }
    void OnTestStart(const ::testing::TestInfo& t) override { inner_->OnTestStart(t); }
    void OnTestEnd(const ::testing::TestInfo& t) override { inner_->OnTestEnd(t); }
    void OnTestSuiteEnd(const ::testing::TestSuite& s) override { inner_->OnTestSuiteEnd(s); }
    void OnEnvironmentsTearDownStart(const ::testing::UnitTest& u) override {
        inner_->OnEnvironmentsTearDownStart(u);
    }
    void OnEnvironmentsTearDownEnd(const ::testing::UnitTest& u) override {
        inner_->OnEnvironmentsTearDownEnd(u);
    }
    void OnTestIterationEnd(const ::testing::UnitTest& u, int i) override {
        inner_->OnTestIterationEnd(u, i);
    }
    void OnTestProgramEnd(const ::testing::UnitTest& u) override { inner_->OnTestProgramEnd(u); }

  private:
    std::unique_ptr<::testing::TestEventListener> inner_;
};

void ReplaceDefaultPrinter() {
    ::testing::TestEventListeners& listeners = ::testing::UnitTest::GetInstance()->listeners();
    ::testing::TestEventListener* printer = listeners.default_result_printer();
    if (printer == nullptr)
        return;
    listeners.Release(printer);
    listeners.Append(new PartResultPrinter(printer));
}

} // namespace

int main(int argc, char** argv) {
    qvr::EntryPoint(GetModuleHandleA(nullptr));
    qvrtest::StartMessageBoxWatcher();
    ::testing::InitGoogleTest(&argc, argv);
    ReplaceDefaultPrinter();
    int result = RUN_ALL_TESTS();
    qvrtest::StopMessageBoxWatcher();
    return result;
}
