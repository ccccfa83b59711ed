// registry/registry_test.cpp: keys and values on the real registry, under a
// fresh key in HKEY_CURRENT_USER that each test removes again.
#include "registry/registry.h"
#include "support/dll.h"
#include "support/temp_dir.h"
#include "util/global_memory.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <utility>

namespace {

using namespace qvrtest;

const HKEY kBogusRoot = reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(0x7654321));

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
    decltype(&QVRCreateReg32Key) createKey = Export<decltype(createKey)>("_QVRCreateReg32Key@12");
    decltype(&QVRSetReg32Value) setValue = Export<decltype(setValue)>("_QVRSetReg32Value@24");
    decltype(&QVRGetReg32Value) getValue = Export<decltype(getValue)>("_QVRGetReg32Value@24");
    decltype(&QVREnumReg32Keys) enumKeys = Export<decltype(enumKeys)>("_QVREnumReg32Keys@16");
    decltype(&QVREnumReg32Values) enumValues =
        Export<decltype(enumValues)>("_QVREnumReg32Values@16");
    decltype(&QVRDeleteReg32Key) deleteKey = Export<decltype(deleteKey)>("_QVRDeleteReg32Key@8");
    decltype(&QVRDeleteReg32Value) deleteValue =
        Export<decltype(deleteValue)>("_QVRDeleteReg32Value@12");
    std::string base; // Software\qvrtest_<pid>_<n>

    void SetUp() override {
        ASSERT_TRUE(createKey && setValue && getValue && enumKeys && enumValues && deleteKey &&
                    deleteValue);
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
    // A value read directly as its type and data; type 0 when it is missing.
    std::pair<DWORD, std::string> Query(const std::string& sub, const char* name) {
        char buffer[256];
        DWORD type = 0, size = sizeof buffer;
        if (RegGetValueA(HKEY_CURRENT_USER, Key(sub).c_str(), name, RRF_RT_ANY | RRF_NOEXPAND,
                         &type, buffer, &size) != 0)
            return {0, ""};
        return {type, std::string(buffer, size)};
    }
    // getValue's result, and its type and data (the block freed).
    LONG Get(const char* name, DWORD* type, std::string* data, const std::string& key = "") {
        DWORD size = 0xDEADBEEF;
        void* block = reinterpret_cast<void*>(static_cast<ULONG_PTR>(0xDEADBEEF));
        const LONG code = getValue(HKEY_CURRENT_USER, Key(key).c_str(), name, type, &block, &size);
        EXPECT_EQ(block == nullptr, size == 0);
        *data = block ? std::string(static_cast<const char*>(block), size) : std::string();
        if (block != nullptr) {
            HGLOBAL handle = GlobalHandle(block);
            EXPECT_EQ(GlobalSize(handle), size); // exactly the value's size
            EXPECT_EQ(GlobalFlags(handle) & (GMEM_LOCKCOUNT | GMEM_DDESHARE), 1u | GMEM_DDESHARE);
            GlobalUnlock(handle);
            EXPECT_EQ(GlobalFree(handle), nullptr);
        }
        return code;
    }
};

TEST_F(RegistryTest, CreateKeyAndSetValues) {
    char keyClass[] = "QvrClass";
    EXPECT_EQ(createKey(HKEY_CURRENT_USER, Key("a\\b").c_str(), keyClass), 0);
    EXPECT_EQ(enumKeys(HKEY_CURRENT_USER, Key("a\\b").c_str(), 0, RecordKey), 0); // it is there
    EXPECT_EQ(createKey(kBogusRoot, "x", keyClass), ERROR_INVALID_HANDLE);

    const struct {
        const char* name;
        DWORD type;
        std::string data;
    } rows[] = {{"String", REG_SZ, std::string("hello\0", 6)},
                {"Empty", REG_BINARY, std::string()},
                {"", REG_SZ, std::string("default\0", 8)}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(setValue(HKEY_CURRENT_USER, Key("new\\deep").c_str(), row.name, row.type,
                           reinterpret_cast<const BYTE*>(row.data.data()),
                           static_cast<DWORD>(row.data.size())),
                  0);
        EXPECT_EQ(Query("new\\deep", row.name), std::make_pair(row.type, row.data));
    }
    const BYTE one[] = {1};
    EXPECT_EQ(setValue(kBogusRoot, "x", "v", REG_BINARY, one, 1), ERROR_INVALID_HANDLE);
    EXPECT_EQ(setValue(HKEY_CURRENT_USER, Key("none").c_str(), "v", REG_BINARY, nullptr, 4),
              ERROR_INVALID_PARAMETER);
    EXPECT_EQ(enumKeys(HKEY_CURRENT_USER, Key("none").c_str(), 0, RecordKey), ERROR_FILE_NOT_FOUND);
}

TEST_F(RegistryTest, GetValueFindsByNameIgnoringCase) {
    Put("", "InstallDir", REG_SZ, std::string("C:\\APP\0", 7));
    Put("", "Nothing", REG_BINARY, "");
    DWORD type = 0xDEADBEEF;
    std::string data;
    EXPECT_EQ(Get("INSTALLDIR", &type, &data), 0);
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(data, std::string("C:\\APP\0", 7)); // terminator counted
    EXPECT_EQ(Get("Nothing", &type, &data), 0);   // found, with no block
    EXPECT_EQ(type, static_cast<DWORD>(REG_BINARY));
    // A missing key or value, or a prefix of a name: 13, outputs zeroed.
    const std::pair<const char*, const char*> missing[] = {{"missing", "InstallDir"},
                                                           {"", "Install"}};
    for (const auto& [key, name] : missing) {
        type = 0xDEADBEEF;
        EXPECT_EQ(Get(name, &type, &data, key), 13) << name;
        EXPECT_EQ(type, 0u);
    }
    void* block;
    DWORD size;
    EXPECT_EQ(getValue(HKEY_CURRENT_USER, base.c_str(), "x", nullptr, &block, &size),
              ERROR_INVALID_PARAMETER);

    // The copy's allocation fails: 8, outputs zeroed. (The blocks are made in
    // this order: the class and name buffers, the walk's data, the copy.)
    qvr::SetGlobalAllocFailAfter(3);
    type = 0xDEADBEEF;
    size = 0xDEADBEEF;
    EXPECT_EQ(qvr::GetRegValue(HKEY_CURRENT_USER, base.c_str(), "InstallDir", &type, &block, &size),
              8u);
    qvr::SetGlobalAllocFailAfter(-1);
    EXPECT_TRUE(type == 0 && size == 0 && block == nullptr);
}

TEST_F(RegistryTest, WalksSeeEveryEntryWhole) {
    // Names longer than the first 264-byte buffer and data of 100 000 bytes.
    const std::string longName(300, 'L');
    std::string big(100000, 'b');
    big.back() = 'e';
    Put("", "a", REG_SZ, std::string("one\0", 4));
    Put("", longName.c_str(), REG_BINARY, "\x01\x02");
    Put("", "big", REG_BINARY, big);
    // The subkeys are made below an open handle of "p", so that "p" is not on
    // their path (Wine would give it their class).
    char keyClass[] = "Parent class";
    ASSERT_EQ(createKey(HKEY_CURRENT_USER, Key("p").c_str(), keyClass), 0);
    HKEY parent, child;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, Key("p").c_str(), 0, KEY_ALL_ACCESS, &parent), 0);
    for (const char* sub : {"one", "two\\deeper"}) {
        ASSERT_EQ(
            RegCreateKeyExA(parent, sub, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &child, nullptr),
            0);
        RegCloseKey(child);
    }
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
              (std::map<std::string, std::string>{
                  {"a", std::string("one\0", 4)}, {longName, "\x01\x02"}, {"big", big}}));
    // Subkeys are not descended into, and come with the walked key's class.
    EXPECT_EQ(walk(true, SIZE_MAX), (std::map<std::string, std::string>{{"one", "Parent class"},
                                                                        {"two", "Parent class"}}));
    // A callback returning 0 stops the walk; the result is still 0.
    EXPECT_EQ(walk(false, 1).size(), 1u);
    EXPECT_EQ(enumValues(HKEY_CURRENT_USER, base.c_str(), 0, nullptr), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(enumValues(HKEY_CURRENT_USER, Key("missing").c_str(), 0, RecordValue),
              ERROR_FILE_NOT_FOUND);
}

TEST_F(RegistryTest, DeleteValueAndKey) {
    Put("k", "v", REG_SZ, "x");
    Put("k", "keep", REG_SZ, "y");
    // A missing value of an existing key is still 0; a missing key is the
    // open's error.
    EXPECT_EQ(deleteValue(HKEY_CURRENT_USER, Key("k").c_str(), "v"), 0);
    EXPECT_EQ(deleteValue(HKEY_CURRENT_USER, Key("k").c_str(), "v"), 0);
    EXPECT_EQ(Query("k", "v").first, 0u);
    EXPECT_EQ(Query("k", "keep").first, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(deleteValue(HKEY_CURRENT_USER, Key("nokey").c_str(), "v"), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(deleteKey(HKEY_CURRENT_USER, Key("k").c_str()), 0);
    EXPECT_EQ(deleteKey(HKEY_CURRENT_USER, Key("k").c_str()), ERROR_FILE_NOT_FOUND);
}

} // namespace
