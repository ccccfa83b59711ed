// registry/registry_test.cpp: keys and values on the real registry, under a
// fresh key in HKEY_CURRENT_USER that each test removes again.
#include "registry/registry.h"
#include "support/dll.h"
#include "support/temp_dir.h"
#include "util/global_memory.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

using namespace qvrtest;

using CreateKeyFn = LONG(WINAPI*)(HKEY, LPCSTR, LPSTR);
using SetValueFn = LONG(WINAPI*)(HKEY, LPCSTR, LPCSTR, DWORD, const BYTE*, DWORD);
using GetValueFn = LONG(WINAPI*)(HKEY, LPCSTR, LPCSTR, DWORD*, void**, DWORD*);
using EnumKeysFn = LONG(WINAPI*)(HKEY, LPCSTR, DWORD_PTR, QVRRegKeyProc);
using EnumValuesFn = LONG(WINAPI*)(HKEY, LPCSTR, DWORD_PTR, QVRRegValueProc);
using EnumValProcFn = BOOL(WINAPI*)(HKEY, DWORD, LPCSTR, const BYTE*, DWORD, RegValueSearch*);
using DeleteKeyFn = LONG(WINAPI*)(HKEY, LPCSTR);
using DeleteValueFn = LONG(WINAPI*)(HKEY, LPCSTR, LPCSTR);

const DWORD kFilled = 0xDEADBEEF;

// What a walk's callback saw.
struct SeenKey {
    HKEY key;
    std::string name;
    std::string keyClass;
    DWORD_PTR context;
};
struct SeenValue {
    DWORD type;
    std::string name;
    std::string data;
    DWORD_PTR context;
};
struct Recorder {
    std::vector<SeenKey> keys;
    std::vector<SeenValue> values;
    size_t stopAfter = SIZE_MAX; // return 0 from the call with this count
};

BOOL WINAPI RecordKey(HKEY key, LPCSTR name, LPCSTR keyClass, DWORD_PTR context) {
    auto* r = reinterpret_cast<Recorder*>(context);
    r->keys.push_back({key, name, keyClass, context});
    return r->keys.size() < r->stopAfter;
}

BOOL WINAPI RecordValue(HKEY, DWORD type, LPCSTR name, const BYTE* data, DWORD size,
                        DWORD_PTR context) {
    auto* r = reinterpret_cast<Recorder*>(context);
    r->values.push_back(
        {type, name, std::string(reinterpret_cast<const char*>(data), size), context});
    return r->values.size() < r->stopAfter;
}

class RegistryTest : public QvrTest {
  protected:
    CreateKeyFn createKey = Export<CreateKeyFn>("_QVRCreateReg32Key@12");
    SetValueFn setValue = Export<SetValueFn>("_QVRSetReg32Value@24");
    GetValueFn getValue = Export<GetValueFn>("_QVRGetReg32Value@24");
    EnumKeysFn enumKeys = Export<EnumKeysFn>("_QVREnumReg32Keys@16");
    EnumValuesFn enumValues = Export<EnumValuesFn>("_QVREnumReg32Values@16");
    EnumValProcFn enumValProc = Export<EnumValProcFn>("_QVRRegEnumValProc@24");
    DeleteKeyFn deleteKey = Export<DeleteKeyFn>("_QVRDeleteReg32Key@8");
    DeleteValueFn deleteValue = Export<DeleteValueFn>("_QVRDeleteReg32Value@12");

    std::string base; // Software\qvrtest_<pid>_<n>, under HKEY_CURRENT_USER

    void SetUp() override {
        ASSERT_TRUE(createKey && setValue && getValue && enumKeys && enumValues && enumValProc &&
                    deleteKey && deleteValue);
        static int counter;
        base = "Software\\qvrtest_" + std::to_string(GetCurrentProcessId()) + "_" +
               std::to_string(++counter);
        RegDeleteTreeA(HKEY_CURRENT_USER, base.c_str());
    }
    void TearDown() override {
        RegDeleteTreeA(HKEY_CURRENT_USER, base.c_str());
        QvrTest::TearDown();
    }
    std::string Key(const std::string& sub) const { return sub.empty() ? base : base + "\\" + sub; }
    bool KeyExists(const std::string& sub) const {
        HKEY key;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, Key(sub).c_str(), 0, KEY_READ, &key) != 0)
            return false;
        RegCloseKey(key);
        return true;
    }
    // Writes a value directly, bypassing the library.
    void Put(const std::string& sub, const char* name, DWORD type, const std::string& data) {
        HKEY key;
        ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, Key(sub).c_str(), 0, nullptr, 0,
                                  KEY_ALL_ACCESS, nullptr, &key, nullptr),
                  0);
        ASSERT_EQ(RegSetValueExA(key, name, 0, type, reinterpret_cast<const BYTE*>(data.data()),
                                 static_cast<DWORD>(data.size())),
                  0);
        RegCloseKey(key);
    }
    // Reads a value directly: false when it is not there.
    bool Query(const std::string& sub, const char* name, DWORD* type, std::string* data) {
        HKEY key;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, Key(sub).c_str(), 0, KEY_READ, &key) != 0)
            return false;
        char buffer[4096];
        DWORD size = sizeof buffer;
        LONG code =
            RegQueryValueExA(key, name, nullptr, type, reinterpret_cast<BYTE*>(buffer), &size);
        RegCloseKey(key);
        if (code != 0)
            return false;
        data->assign(buffer, size);
        return true;
    }
    static void Free(void* p) {
        HGLOBAL block = GlobalHandle(p);
        ASSERT_NE(block, nullptr);
        GlobalUnlock(block);
        EXPECT_EQ(GlobalFree(block), nullptr);
    }
};

TEST_F(RegistryTest, CreateKeyMakesParentsAndStoresClass) {
    char keyClass[] = "QvrClass";
    EXPECT_EQ(createKey(HKEY_CURRENT_USER, Key("a\\b\\c").c_str(), keyClass), 0);
    EXPECT_TRUE(KeyExists("a\\b\\c"));

    HKEY key;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, Key("a\\b\\c").c_str(), 0, KEY_READ, &key), 0);
    char got[64] = {};
    DWORD length = sizeof got;
    EXPECT_EQ(RegQueryInfoKeyA(key, got, &length, nullptr, nullptr, nullptr, nullptr, nullptr,
                               nullptr, nullptr, nullptr, nullptr),
              0);
    RegCloseKey(key);
    EXPECT_STREQ(got, "QvrClass");

    // An existing key is fine. (Windows keeps its class; Wine gives every key
    // along the path the class of the latest creation.)
    char other[] = "";
    EXPECT_EQ(createKey(HKEY_CURRENT_USER, Key("a\\b\\c").c_str(), other), 0);

    // The root goes to the registry unchanged: a bogus one is its error.
    EXPECT_EQ(createKey(reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(0x7654321)), "x", other),
              ERROR_INVALID_HANDLE);
}

TEST_F(RegistryTest, SetValueCreatesKeyAndWritesEachType) {
    struct Row {
        const char* name;
        DWORD type;
        std::string data;
    } rows[] = {
        {"String", REG_SZ, std::string("hello\0", 6)},
        {"Number", REG_DWORD, std::string("\x78\x56\x34\x12", 4)},
        {"Binary", REG_BINARY, std::string("\x00\xFF\x01\x1A", 4)},
        {"Multi", REG_MULTI_SZ, std::string("a\0bc\0\0", 6)},
        {"Empty", REG_BINARY, std::string()},
        {"", REG_SZ, std::string("default\0", 8)},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(setValue(HKEY_CURRENT_USER, Key("new\\deep").c_str(), row.name, row.type,
                           reinterpret_cast<const BYTE*>(row.data.data()),
                           static_cast<DWORD>(row.data.size())),
                  0);
        DWORD type = 0;
        std::string data;
        ASSERT_TRUE(Query("new\\deep", row.name, &type, &data));
        EXPECT_EQ(type, row.type);
        EXPECT_EQ(data, row.data);
    }
}

TEST_F(RegistryTest, SetValueReportsOnlyTheKey) {
    const BYTE one[] = {1};
    // A value the registry refuses still gives 0: only the key counts. A name
    // past the registry's limit of 16383 characters is refused; check that the
    // platform really refuses it before relying on it.
    std::string hugeName(20000, 'n');
    HKEY probe;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, Key("probe").c_str(), 0, nullptr, 0,
                              KEY_ALL_ACCESS, nullptr, &probe, nullptr),
              0);
    LONG refused = RegSetValueExA(probe, hugeName.c_str(), 0, REG_BINARY, one, 1);
    RegCloseKey(probe);
    if (refused != 0) {
        EXPECT_EQ(
            setValue(HKEY_CURRENT_USER, Key("k").c_str(), hugeName.c_str(), REG_BINARY, one, 1), 0);
        EXPECT_TRUE(KeyExists("k"));
    }

    // A key that cannot be created: its parent is a bogus root.
    EXPECT_EQ(setValue(reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(0x7654321)), "x", "v",
                       REG_BINARY, one, 1),
              ERROR_INVALID_HANDLE);
    // No data but a size: refused before the registry is touched.
    EXPECT_EQ(setValue(HKEY_CURRENT_USER, Key("none").c_str(), "v", REG_BINARY, nullptr, 4),
              ERROR_INVALID_PARAMETER);
    EXPECT_FALSE(KeyExists("none"));
}

TEST_F(RegistryTest, GetValueCopiesIntoCallerBlock) {
    Put("", "InstallDir", REG_SZ, std::string("C:\\APP\0", 7));
    Put("", "Flags", REG_DWORD, std::string("\x05\x00\x00\x00", 4));
    Put("", "Nothing", REG_BINARY, std::string());

    struct Row {
        const char* asked;
        DWORD type;
        std::string data;
    } rows[] = {
        {"InstallDir", REG_SZ, std::string("C:\\APP\0", 7)}, // terminator counted
        {"INSTALLDIR", REG_SZ, std::string("C:\\APP\0", 7)}, // case ignored
        {"flags", REG_DWORD, std::string("\x05\x00\x00\x00", 4)},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.asked);
        DWORD type = kFilled, size = kFilled;
        void* data = reinterpret_cast<void*>(static_cast<ULONG_PTR>(kFilled));
        ASSERT_EQ(getValue(HKEY_CURRENT_USER, base.c_str(), row.asked, &type, &data, &size), 0);
        EXPECT_EQ(type, row.type);
        ASSERT_EQ(size, row.data.size());
        ASSERT_NE(data, nullptr);
        HGLOBAL block = GlobalHandle(data);
        EXPECT_EQ(GlobalSize(block), size); // exactly the value's size
        EXPECT_EQ(GlobalFlags(block) & GMEM_LOCKCOUNT, 1u);
        EXPECT_EQ(GlobalFlags(block) & GMEM_DDESHARE, static_cast<UINT>(GMEM_DDESHARE));
        EXPECT_EQ(std::string(static_cast<char*>(data), size), row.data);
        Free(data);
    }

    // A value of 0 bytes: found, no block to free.
    DWORD type = kFilled, size = kFilled;
    void* data = reinterpret_cast<void*>(static_cast<ULONG_PTR>(kFilled));
    EXPECT_EQ(getValue(HKEY_CURRENT_USER, base.c_str(), "Nothing", &type, &data, &size), 0);
    EXPECT_EQ(type, static_cast<DWORD>(REG_BINARY));
    EXPECT_EQ(size, 0u);
    EXPECT_EQ(data, nullptr);
}

TEST_F(RegistryTest, GetValueMissingLeavesZeros) {
    Put("", "There", REG_SZ, std::string("x\0", 2));
    struct Row {
        std::string key;
        const char* name;
    } rows[] = {
        {base + "\\missing", "There"}, {base, "Absent"}, {base, "Ther"}, // a prefix is not a match
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.key + " " + row.name);
        DWORD type = kFilled, size = kFilled;
        void* data = reinterpret_cast<void*>(static_cast<ULONG_PTR>(kFilled));
        EXPECT_EQ(getValue(HKEY_CURRENT_USER, row.key.c_str(), row.name, &type, &data, &size), 13);
        EXPECT_EQ(type, 0u);
        EXPECT_EQ(size, 0u);
        EXPECT_EQ(data, nullptr);
    }
    DWORD type = 0, size = 0;
    void* data = nullptr;
    EXPECT_EQ(getValue(HKEY_CURRENT_USER, base.c_str(), "There", nullptr, &data, &size),
              ERROR_INVALID_PARAMETER);
    EXPECT_EQ(getValue(HKEY_CURRENT_USER, base.c_str(), "There", &type, nullptr, &size),
              ERROR_INVALID_PARAMETER);
    EXPECT_EQ(getValue(HKEY_CURRENT_USER, base.c_str(), "There", &type, &data, nullptr),
              ERROR_INVALID_PARAMETER);
}

TEST_F(RegistryTest, GetValueAllocationFailures) {
    Put("", "Value", REG_SZ, std::string("abc\0", 4));
    // Global blocks are made in this order: the class and the name buffers,
    // the walk's data buffer, the copy.
    DWORD type = kFilled, size = kFilled;
    void* data = reinterpret_cast<void*>(static_cast<ULONG_PTR>(kFilled));
    qvr::SetGlobalAllocFailAfter(2); // no data buffer: nothing is walked
    EXPECT_EQ(qvr::GetRegValue(HKEY_CURRENT_USER, base.c_str(), "Value", &type, &data, &size), 13u);
    EXPECT_EQ(data, nullptr);
    EXPECT_EQ(size, 0u);

    qvr::SetGlobalAllocFailAfter(3); // no copy
    type = kFilled, size = kFilled;
    EXPECT_EQ(qvr::GetRegValue(HKEY_CURRENT_USER, base.c_str(), "Value", &type, &data, &size), 8u);
    qvr::SetGlobalAllocFailAfter(-1);
    EXPECT_EQ(type, 0u);
    EXPECT_EQ(size, 0u);
    EXPECT_EQ(data, nullptr);
}

TEST_F(RegistryTest, GetValueDoesNotLeak) {
    Put("", "Value", REG_BINARY, std::string(3000, 'q'));
    Put("", "Other", REG_BINARY, std::string(10, 'o'));
    auto once = [&] {
        DWORD type, size;
        void* data;
        ASSERT_EQ(getValue(HKEY_CURRENT_USER, base.c_str(), "Value", &type, &data, &size), 0);
        Free(data);
        ASSERT_EQ(getValue(HKEY_CURRENT_USER, base.c_str(), "Missing", &type, &data, &size), 13);
    };
    // Warm up first: Wine's heap settles at a higher count of busy blocks
    // after a few hundred allocations, once, whatever allocated them.
    for (int i = 0; i < 300; ++i)
        once();
    size_t before = CountHeapBlocks();
    for (int i = 0; i < 300; ++i)
        once();
    EXPECT_LE(CountHeapBlocks(), before + 5);
}

TEST_F(RegistryTest, EnumValProcFillsSearchOnMatchOnly) {
    const BYTE bytes[] = {'d', 'a', 't', 'a', 0};
    DWORD type = kFilled, size = kFilled;
    RegValueSearch search = {"Wanted", &type, nullptr, &size, 77};

    // Another name: go on, nothing touched.
    EXPECT_EQ(enumValProc(nullptr, REG_SZ, "Other", bytes, 5, &search), TRUE);
    EXPECT_EQ(search.status, 77u);
    EXPECT_EQ(type, kFilled);
    EXPECT_EQ(size, kFilled);
    EXPECT_EQ(search.data, nullptr);

    EXPECT_EQ(enumValProc(nullptr, REG_EXPAND_SZ, "WANTED", bytes, 5, &search), FALSE);
    EXPECT_EQ(search.status, 0u);
    EXPECT_EQ(type, static_cast<DWORD>(REG_EXPAND_SZ));
    EXPECT_EQ(size, 5u);
    ASSERT_NE(search.data, nullptr);
    EXPECT_NE(search.data, static_cast<const void*>(bytes));
    EXPECT_EQ(memcmp(search.data, bytes, 5), 0);
    EXPECT_EQ(GlobalSize(GlobalHandle(search.data)), 5u);
    Free(search.data);

    // No search at all: nothing to fill, the walk goes on.
    EXPECT_EQ(enumValProc(nullptr, REG_SZ, "Wanted", bytes, 5, nullptr), TRUE);
}

TEST_F(RegistryTest, EnumValuesWalksEveryValue) {
    Recorder recorder;
    // A key without values calls nothing.
    Put("empty\\child", "x", REG_SZ, std::string("x\0", 2));
    EXPECT_EQ(enumValues(HKEY_CURRENT_USER, Key("empty").c_str(),
                         reinterpret_cast<DWORD_PTR>(&recorder), RecordValue),
              0);
    EXPECT_TRUE(recorder.values.empty());

    // Names longer than the first 264-byte buffer and data of 100 000 bytes
    // come through whole: the buffers are sized from the key's statistics.
    std::string longName(300, 'L');
    std::string big(100000, 'b');
    big[99999] = 'e';
    Put("", "a", REG_SZ, std::string("one\0", 4));
    Put("", longName.c_str(), REG_BINARY, std::string("\x01\x02", 2));
    Put("", "big", REG_BINARY, big);
    EXPECT_EQ(enumValues(HKEY_CURRENT_USER, base.c_str(), reinterpret_cast<DWORD_PTR>(&recorder),
                         RecordValue),
              0);
    ASSERT_EQ(recorder.values.size(), 3u);
    bool sawLong = false, sawBig = false, sawA = false;
    for (const SeenValue& v : recorder.values) {
        EXPECT_EQ(v.context, reinterpret_cast<DWORD_PTR>(&recorder));
        if (v.name == longName) {
            sawLong = true;
            EXPECT_EQ(v.data, std::string("\x01\x02", 2));
        } else if (v.name == "big") {
            sawBig = true;
            EXPECT_EQ(v.data, big);
        } else if (v.name == "a") {
            sawA = true;
            EXPECT_EQ(v.type, static_cast<DWORD>(REG_SZ));
            EXPECT_EQ(v.data, std::string("one\0", 4));
        }
    }
    EXPECT_TRUE(sawLong && sawBig && sawA);

    // The long name can be read back by name as well.
    DWORD type, size;
    void* data;
    ASSERT_EQ(getValue(HKEY_CURRENT_USER, base.c_str(), longName.c_str(), &type, &data, &size), 0);
    EXPECT_EQ(size, 2u);
    Free(data);

    // A callback returning 0 stops the walk; the result is still 0.
    Recorder stopper;
    stopper.stopAfter = 1;
    EXPECT_EQ(enumValues(HKEY_CURRENT_USER, base.c_str(), reinterpret_cast<DWORD_PTR>(&stopper),
                         RecordValue),
              0);
    EXPECT_EQ(stopper.values.size(), 1u);
}

TEST_F(RegistryTest, EnumKeysWalksSubkeysWithTheKeysClass) {
    char keyClass[] = "Parent class";
    ASSERT_EQ(createKey(HKEY_CURRENT_USER, Key("p").c_str(), keyClass), 0);
    // The subkeys are created below an open handle of "p", so that "p" is not
    // on their path (Wine would give it their class).
    HKEY parent;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, Key("p").c_str(), 0, KEY_ALL_ACCESS, &parent), 0);
    for (const char* sub : {"one", "two", "three\\deeper"}) {
        HKEY child;
        ASSERT_EQ(
            RegCreateKeyExA(parent, sub, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &child, nullptr),
            0);
        RegCloseKey(child);
    }
    RegCloseKey(parent);

    Recorder recorder;
    EXPECT_EQ(enumKeys(HKEY_CURRENT_USER, Key("p").c_str(), reinterpret_cast<DWORD_PTR>(&recorder),
                       RecordKey),
              0);
    ASSERT_EQ(recorder.keys.size(), 3u); // not descended into
    std::vector<std::string> names;
    for (const SeenKey& k : recorder.keys) {
        names.push_back(k.name);
        EXPECT_EQ(k.keyClass, "Parent class");
        EXPECT_EQ(k.context, reinterpret_cast<DWORD_PTR>(&recorder));
        EXPECT_NE(k.key, nullptr);
    }
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"one", "three", "two"}));

    Recorder stopper;
    stopper.stopAfter = 1;
    EXPECT_EQ(enumKeys(HKEY_CURRENT_USER, Key("p").c_str(), reinterpret_cast<DWORD_PTR>(&stopper),
                       RecordKey),
              0);
    EXPECT_EQ(stopper.keys.size(), 1u);
}

TEST_F(RegistryTest, EnumeratorsReportTheKeysOwnFailure) {
    Recorder recorder;
    EXPECT_EQ(enumKeys(HKEY_CURRENT_USER, Key("missing").c_str(),
                       reinterpret_cast<DWORD_PTR>(&recorder), RecordKey),
              ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(enumValues(HKEY_CURRENT_USER, Key("missing").c_str(),
                         reinterpret_cast<DWORD_PTR>(&recorder), RecordValue),
              ERROR_FILE_NOT_FOUND);
    EXPECT_TRUE(recorder.keys.empty());
    EXPECT_TRUE(recorder.values.empty());
    EXPECT_EQ(enumKeys(HKEY_CURRENT_USER, base.c_str(), 0, nullptr), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(enumValues(HKEY_CURRENT_USER, base.c_str(), 0, nullptr), ERROR_INVALID_PARAMETER);
}

TEST_F(RegistryTest, DeleteValueAndKey) {
    Put("k", "v", REG_SZ, std::string("x\0", 2));
    Put("k", "keep", REG_SZ, std::string("y\0", 2));
    EXPECT_EQ(deleteValue(HKEY_CURRENT_USER, Key("k").c_str(), "v"), 0);
    DWORD type;
    std::string data;
    EXPECT_FALSE(Query("k", "v", &type, &data));
    EXPECT_TRUE(Query("k", "keep", &type, &data));
    // A missing value of an existing key is still 0; a missing key is the
    // open's error.
    EXPECT_EQ(deleteValue(HKEY_CURRENT_USER, Key("k").c_str(), "v"), 0);
    EXPECT_EQ(deleteValue(HKEY_CURRENT_USER, Key("nokey").c_str(), "v"), ERROR_FILE_NOT_FOUND);

    EXPECT_EQ(deleteKey(HKEY_CURRENT_USER, Key("k").c_str()), 0);
    EXPECT_FALSE(KeyExists("k"));
    EXPECT_EQ(deleteKey(HKEY_CURRENT_USER, Key("k").c_str()), ERROR_FILE_NOT_FOUND);

    // A key with subkeys: Windows 95 deletes the subtree, NT refuses. Either
    // way the result tells which happened.
    Put("tree\\child", "v", REG_SZ, std::string("x\0", 2));
    LONG code = deleteKey(HKEY_CURRENT_USER, Key("tree").c_str());
    EXPECT_EQ(code == 0, !KeyExists("tree"));
}

} // namespace
