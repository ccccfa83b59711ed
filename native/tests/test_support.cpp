// native/tests/test_support.cpp: the test support of tests/support for the
// native build. Message boxes are recorded by the portability layer instead
// of being found on screen; temporary folders live under /tmp.
#include "frame/module_state.h"
#include "native/win_layer.h"
#include "support/dll.h"
#include "support/message_boxes.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <dlfcn.h>
#include <ftw.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <sys/stat.h>

namespace qvrtest {

void StartMessageBoxWatcher() {}
void StopMessageBoxWatcher() {}
void EchoMessageBoxes(bool) {}

std::vector<CapturedBox> TakeMessageBoxes() {
    std::vector<CapturedBox> taken;
    for (const qvrnative::RecordedBox& box : qvrnative::TakeMessageBoxes())
        taken.push_back({box.caption, box.text});
    return taken;
}

void QvrTest::TearDown() {
    for (const CapturedBox& box : TakeMessageBoxes())
        ADD_FAILURE() << "unexpected message box \"" << box.caption << "\": " << box.text;
}

void* NativeExport(const char* decoratedName) {
    std::string name(decoratedName);
    if (!name.empty() && name[0] == '_')
        name.erase(0, 1);
    size_t at = name.find('@');
    if (at != std::string::npos)
        name.erase(at);
    return dlsym(RTLD_DEFAULT, name.c_str());
}

size_t CountHeapBlocks() {
    return qvrnative::LiveBlockCount();
}

namespace {

void RemoveTree(const std::string& path) {
    if (path.empty())
        return;
    nftw(
        path.c_str(),
        [](const char* name, const struct stat*, int, FTW*) { return ::remove(name); }, 16,
        FTW_DEPTH | FTW_PHYS);
}

} // namespace

TempDir::TempDir() {
    char pattern[] = "/tmp/qvrtest-XXXXXX";
    if (mkdtemp(pattern) != nullptr)
        path_ = pattern;
}

TempDir::~TempDir() {
    RemoveTree(path_);
}

std::string TempDir::operator/(const std::string& name) const {
    return path_ + "/" + name;
}

void WriteBytes(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream all;
    all << in.rdbuf();
    return all.str();
}

bool FileExists(const std::string& path) {
    return access(path.c_str(), F_OK) == 0;
}

} // namespace qvrtest

int main(int argc, char** argv) {
    static char self;
    qvr::EntryPoint(reinterpret_cast<HINSTANCE>(&self));
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
