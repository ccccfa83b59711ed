// registry/registry_test.cpp: keys and values on the real registry, under a
// fresh key in HKEY_CURRENT_USER that each test removes again.
#include "registry/registry.h"
#include "support/exports.h"
#include "support/temp_dir.h"
#include "util/fault_injection.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <utility>

namespace {

using namespace qvrtest;
using Value = std::pair<DWORD, std::string>;

// What a walk's callbacks saw, by name; a walk stops after `stopAfter` calls.
struct Recorder {
    std::map<std::string, std::string> seen; // name -> data or key class
    size_t stopAfter = SIZE_MAX;
};

BOOL WINAPI RecordKey(HKEY, LPCSTR name, LPCSTR keyClass, DWORD_PTR context) {
    auto* r = reinterpret_cast<Recorder*>(context);
    r->seen[name] = keyClass;
    return r->seen.size() < r->stopAfter;
}

BOOL WINAPI RecordValue(HKEY, DWORD, LPCSTR name, const BYTE* data, DWORD size, DWORD_PTR context) {
    auto* r = reinterpret_cast<Recorder*>(context);
    r->seen[name].assign(reinterpret_cast<const char*>(data), size);
    return r->seen.size() < r->stopAfter;
}

class RegistryTest : public QvrTest {
  protected:
    decltype(&QVRCreateReg32Key) createKey = Exports().QVRCreateReg32Key;
    decltype(&QVRSetReg32Value) setValue = Exports().QVRSetReg32Value;
    decltype(&QVRGetReg32Value) getValue = Exports().QVRGetReg32Value;
    decltype(&QVREnumReg32Keys) enumKeys = Exports().QVREnumReg32Keys;
    decltype(&QVREnumReg32Values) enumValues = Exports().QVREnumReg32Values;
    decltype(&QVRDeleteReg32Value) deleteValue = Exports().QVRDeleteReg32Value;
    std::string base; // Software\qvrtest_<pid>_<n>

    void SetUp() override {
        ASSERT_TRUE(createKey && setValue && getValue && enumKeys && enumValues && deleteValue);
        static int counter;
        base = "Software\\qvrtest_" + std::to_string(GetCurrentProcessId()) + "_" +
               std::to_string(++counter);
    }
    void TearDown() override {
        RegDeleteTreeA(HKEY_CURRENT_USER, base.c_str());
        QvrTest::TearDown();
    }
    std::string Key(const std::string& sub) const { return sub.empty() ? base : base + "\\" + sub; }
    // Writes a value directly, bypassing the library.
    void Put(const std::string& sub, const char* name, DWORD type, const std::string& data) {
        ASSERT_EQ(RegSetKeyValueA(HKEY_CURRENT_USER, Key(sub).c_str(), name, type, data.data(),
                                  static_cast<DWORD>(data.size())),
                  0);
    }
    // getValue's type and data, its result expected to be `code`; the block is
    // checked and freed.
    Value Get(const std::string& sub, const char* name, LONG code = 0) {
        DWORD type = 0xDEADBEEF, size = 0xDEADBEEF;
        void* block = reinterpret_cast<void*>(static_cast<ULONG_PTR>(0xDEADBEEF));
        EXPECT_EQ(getValue(HKEY_CURRENT_USER, Key(sub).c_str(), name, &type, &block, &size), code)
            << name;
        EXPECT_EQ(block == nullptr, size == 0);
        if (block == nullptr)
            return {type, ""};
        const std::string data(static_cast<const char*>(block), size);
        HGLOBAL handle = GlobalHandle(block);
        EXPECT_EQ(GlobalSize(handle), size); // exactly the value's size
        EXPECT_EQ(GlobalFlags(handle) & (GMEM_LOCKCOUNT | GMEM_DDESHARE), 1u | GMEM_DDESHARE);
        GlobalUnlock(handle);
        EXPECT_EQ(GlobalFree(handle), nullptr);
        return {type, data};
    }
};

// Null data is refused unless its size is 0.
TEST_F(RegistryTest, SetValueCreatesTheKey) {
    const std::string hello("hello\0", 6), deep = Key("new\\deep");
    EXPECT_EQ(setValue(HKEY_CURRENT_USER, deep.c_str(), "String", REG_SZ,
                       reinterpret_cast<const BYTE*>(hello.data()), 6),
              0);
    EXPECT_EQ(setValue(HKEY_CURRENT_USER, deep.c_str(), "Empty", REG_BINARY, nullptr, 0), 0);
    EXPECT_EQ(setValue(HKEY_CURRENT_USER, deep.c_str(), "v", REG_BINARY, nullptr, 4),
              ERROR_INVALID_PARAMETER);
    EXPECT_EQ(Get("new\\deep", "String"), Value(REG_SZ, hello));
    EXPECT_EQ(Get("new\\deep", "Empty"), Value(REG_BINARY, "")); // found, with no block
}

TEST_F(RegistryTest, GetValueFindsByNameIgnoringCase) {
    const std::string app("C:\\APP\0", 7); // terminator counted
    Put("", "InstallDir", REG_SZ, app);
    EXPECT_EQ(Get("", "INSTALLDIR"), Value(REG_SZ, app));
    // A missing key or value, or a prefix of a name: 13, outputs zeroed.
    EXPECT_EQ(Get("missing", "InstallDir", 13), Value(0, ""));
    EXPECT_EQ(Get("", "Install", 13), Value(0, ""));
    DWORD type = 0xDEADBEEF, size = 0xDEADBEEF;
    void* block;
    EXPECT_EQ(getValue(HKEY_CURRENT_USER, base.c_str(), "x", nullptr, &block, &size),
              ERROR_INVALID_PARAMETER);

    // The copy's allocation fails: 8, outputs zeroed.
    qvr::FailAfter(qvr::Fault::ValueCopy, 0);
    EXPECT_EQ(qvr::GetRegValue(HKEY_CURRENT_USER, base.c_str(), "InstallDir", &type, &block, &size),
              8u);
    qvr::FailAfter(qvr::Fault::ValueCopy, -1);
    EXPECT_TRUE(type == 0 && size == 0 && block == nullptr);
}

TEST_F(RegistryTest, WalksSeeEveryEntryWhole) {
    // A key made with a class, names longer than the first 264-byte buffer
    // and data of 100 000 bytes.
    char keyClass[] = "Parent class";
    ASSERT_EQ(createKey(HKEY_CURRENT_USER, Key("p").c_str(), keyClass), 0);
    const std::string longName(300, 'L');
    std::string big(100000, 'b');
    big.back() = 'e';
    Put("", longName.c_str(), REG_BINARY, "\x01\x02");
    Put("", "big", REG_BINARY, big);
    // Subkeys without a class, made below an open handle of "p": made on a
    // path through "p", they would give it their class (Wine does).
    HKEY parent;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, Key("p").c_str(), 0, KEY_ALL_ACCESS, &parent), 0);
    for (const char* sub : {"one", "two\\deeper"})
        EXPECT_EQ(RegSetKeyValueA(parent, sub, "v", REG_BINARY, "", 0), 0);
    RegCloseKey(parent);
    const auto walk = [&](bool keys, size_t stopAfter) {
        Recorder recorder;
        recorder.stopAfter = stopAfter;
        const DWORD_PTR context = reinterpret_cast<DWORD_PTR>(&recorder);
        EXPECT_EQ(keys ? enumKeys(HKEY_CURRENT_USER, Key("p").c_str(), context, RecordKey)
                       : enumValues(HKEY_CURRENT_USER, base.c_str(), context, RecordValue),
                  0);
        return recorder.seen;
    };
    EXPECT_EQ(walk(false, SIZE_MAX),
              (std::map<std::string, std::string>{{longName, "\x01\x02"}, {"big", big}}));
    // Subkeys are not descended into, and come with the walked key's class.
    EXPECT_EQ(walk(true, SIZE_MAX), (std::map<std::string, std::string>{{"one", "Parent class"},
                                                                        {"two", "Parent class"}}));
    // A callback returning 0 stops the walk; the result is still 0.
    EXPECT_EQ(walk(false, 1).size(), 1u);
    EXPECT_EQ(enumValues(HKEY_CURRENT_USER, Key("missing").c_str(), 0, RecordValue),
              ERROR_FILE_NOT_FOUND);
}

TEST_F(RegistryTest, DeleteValue) {
    Put("k", "v", REG_SZ, "x");
    Put("k", "keep", REG_BINARY, "y");
    // A missing value of an existing key is still 0; a missing key is the
    // open's error.
    EXPECT_EQ(deleteValue(HKEY_CURRENT_USER, Key("k").c_str(), "v"), 0);
    EXPECT_EQ(deleteValue(HKEY_CURRENT_USER, Key("k").c_str(), "v"), 0);
    EXPECT_EQ(Get("k", "v", 13), Value(0, ""));
    EXPECT_EQ(Get("k", "keep"), Value(REG_BINARY, "y"));
    EXPECT_EQ(deleteValue(HKEY_CURRENT_USER, Key("nokey").c_str(), "v"), ERROR_FILE_NOT_FOUND);
}

} // namespace
