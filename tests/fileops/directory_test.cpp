// fileops/directory_test.cpp: directory creation with the drive veto, and the
// thin directory, attribute, name, volume and search exports, through the
// DLL's exports.
#include "support/dll.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <set>
#include <string>

namespace {

using namespace qvrtest;

using CreateDirFn = int(WINAPI*)(HWND, LPCSTR);
using PathFn = BOOL(WINAPI*)(LPCSTR);
using IsUncFn = int(WINAPI*)(LPCSTR);
using NoArgFn = int(WINAPI*)();
using VolumeInfoFn = BOOL(WINAPI*)(LPCSTR, WORD*, WORD*, WORD*);
using GetCurrentDirFn = int(WINAPI*)(int, LPSTR, DWORD);
using AttributesFn = BOOL(WINAPI*)(BOOL, LPCSTR, DWORD*);
using RenameFn = BOOL(WINAPI*)(LPCSTR, LPCSTR);
using ShortNameFn = int(WINAPI*)(LPCSTR, LPSTR, DWORD);
using LongNameFn = int(WINAPI*)(DWORD, DWORD, DWORD);
using FindFirstFn = HANDLE(WINAPI*)(LPCSTR, DWORD, WIN32_FIND_DATAA*);
using FindNextFn = BOOL(WINAPI*)(HANDLE, WIN32_FIND_DATAA*);
using FindCloseFn = BOOL(WINAPI*)(HANDLE);
using SetWindowFn = void(WINAPI*)(HWND);

bool DirExists(const std::string& path) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::set<std::string> Entries(const std::string& directory) {
    std::set<std::string> names;
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA((directory + "\\*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE)
        return names;
    do {
        if (std::strcmp(data.cFileName, ".") != 0 && std::strcmp(data.cFileName, "..") != 0)
            names.insert(data.cFileName);
    } while (FindNextFileA(find, &data));
    FindClose(find);
    return names;
}

std::string CurrentDirectory() {
    char path[MAX_PATH] = "";
    GetCurrentDirectoryA(sizeof path, path);
    return path;
}

class DirectoryTest : public FileTest {
  protected:
    CreateDirFn createDir = Export<CreateDirFn>("_QVRCreateDir@8");
    PathFn isValidDir = Export<PathFn>("_QVRIsValidDir@4");
    PathFn changeDirectory = Export<PathFn>("_QVRChangeDirectory@4");
    PathFn makeDirectory = Export<PathFn>("_QVRMakeDirectory@4");
    PathFn removeDirectory = Export<PathFn>("_QVRRemoveDirectory@4");
    IsUncFn isUncPath = Export<IsUncFn>("_IsUNCPath@4");
    NoArgFn supportsLfn = Export<NoArgFn>("_QVRSystemSupportsLFN@0");
    VolumeInfoFn volumeInfo = Export<VolumeInfoFn>("_QVRGetLFNVolumeInfo@16");
    GetCurrentDirFn getCurrentDirectory = Export<GetCurrentDirFn>("_QVRGetCurrentDirectory@12");
    AttributesFn attributes = Export<AttributesFn>("_QVRGetSetFileAttributes@12");
    RenameFn renameFile = Export<RenameFn>("_QVRRenameFile@8");
    ShortNameFn shortName = Export<ShortNameFn>("_QVRGetNonLFNName@12");
    LongNameFn longName = Export<LongNameFn>("_QVRGetLFNName@12");
    FindFirstFn findFirst = Export<FindFirstFn>("_QVRFindFirstFile@12");
    FindNextFn findNext = Export<FindNextFn>("_QVRFindNextFile@8");
    FindCloseFn findClose = Export<FindCloseFn>("_QVRFindClose@4");
    std::string savedCurrent = CurrentDirectory();

    void SetUp() override {
        ASSERT_TRUE(createDir && isValidDir && changeDirectory && makeDirectory &&
                    removeDirectory && isUncPath && supportsLfn && volumeInfo &&
                    getCurrentDirectory && attributes && renameFile && shortName && longName &&
                    findFirst && findNext && findClose);
    }
    void TearDown() override {
        SetCurrentDirectoryA(savedCurrent.c_str());
        FileTest::TearDown();
    }
};

TEST_F(DirectoryTest, CreateDirMakesEveryLevel) {
    EXPECT_EQ(createDir(nullptr, (dir / "A").c_str()), 0);
    EXPECT_TRUE(DirExists(dir / "A"));
    EXPECT_EQ(createDir(nullptr, (dir / "A").c_str()), 0); // exists already

    EXPECT_EQ(createDir(nullptr, (dir / "X\\Y\\Z").c_str()), 0);
    EXPECT_TRUE(DirExists(dir / "X\\Y\\Z"));
    EXPECT_EQ(createDir(nullptr, (dir / "T\\U\\").c_str()), 0);
    EXPECT_TRUE(DirExists(dir / "T\\U"));
    EXPECT_EQ(Entries(dir.path()), (std::set<std::string>{"A", "T", "X"}));
    EXPECT_EQ(CurrentDirectory(), savedCurrent);
}

TEST_F(DirectoryTest, CreateDirFailureCreatesNothing) {
    WriteBytes(dir / "file", "x");
    struct Row {
        std::string path;
        DWORD error; // 0: any reason
    } rows[] = {
        {dir / "file\\SUB\\SUB2", 0},
        {dir / "file", 0},
        {"", ERROR_PATH_NOT_FOUND},
        {dir.path() + std::string(600, 'x'), ERROR_FILENAME_EXCED_RANGE},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.path.substr(0, 80));
        SetLastError(0xDEADBEEF);
        EXPECT_EQ(createDir(nullptr, row.path.c_str()), 2);
        if (row.error != 0)
            EXPECT_EQ(GetLastError(), row.error);
        else
            EXPECT_NE(GetLastError(), 0xDEADBEEFu);
        EXPECT_EQ(Entries(dir.path()), (std::set<std::string>{"file"}));
    }
    SetLastError(0xDEADBEEF);
    EXPECT_EQ(createDir(nullptr, nullptr), 2);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

TEST_F(DirectoryTest, CreateDirOfDriveRootTouchesNothing) {
    EXPECT_EQ(createDir(nullptr, "C:\\"), 3);
    EXPECT_EQ(createDir(nullptr, "c:\\"), 3);
    // A letter no drive uses: the result follows GetDriveTypeA (Wine answers
    // DRIVE_NO_ROOT_DIR, not DRIVE_UNKNOWN, for an unmapped letter).
    DWORD drives = GetLogicalDrives();
    for (char letter = 'Z'; letter > 'C'; --letter) {
        if (drives & (1u << (letter - 'A')))
            continue;
        char root[] = "?:\\";
        root[0] = letter;
        SCOPED_TRACE(root);
        EXPECT_EQ(createDir(nullptr, root), GetDriveTypeA(root) == DRIVE_UNKNOWN ? 2 : 3);
        break;
    }
}

TEST_F(DirectoryTest, CreateDirOfNetworkPath) {
    // "\\?\C:\..." has the form of a UNC path: the network way of creating
    // (no drive question) still makes every level.
    std::string path = "\\\\?\\" + (dir / "N1\\N2");
    ASSERT_EQ(isUncPath(path.c_str()), 1);
    EXPECT_EQ(createDir(nullptr, path.c_str()), 0);
    EXPECT_TRUE(DirExists(dir / "N1\\N2"));
    EXPECT_EQ(createDir(nullptr, path.c_str()), 0);
}

// The installer's main window as the tests play it: answers WM_COMMAND 507
// by recording the drive letter it is shown and writing `answer` back.
struct VetoWindow {
    static int32_t answer;
    static int32_t seenDrive;
    static int messages;
    HWND window = nullptr;

    static LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_COMMAND && wParam == 507) {
            ++messages;
            int32_t* cell = reinterpret_cast<int32_t*>(lParam);
            seenDrive = *cell;
            *cell = answer;
            return 0;
        }
        return DefWindowProcA(hwnd, message, wParam, lParam);
    }
    VetoWindow() {
        static ATOM atom = [] {
            WNDCLASSA windowClass = {};
            windowClass.lpfnWndProc = Proc;
            windowClass.hInstance = GetModuleHandleA(nullptr);
            windowClass.lpszClassName = "QvrVetoWindow";
            return RegisterClassA(&windowClass);
        }();
        EXPECT_NE(atom, 0);
        window = CreateWindowA("QvrVetoWindow", "installer", WS_OVERLAPPEDWINDOW, 0, 0, 10, 10,
                               nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    }
    ~VetoWindow() { DestroyWindow(window); }
};
int32_t VetoWindow::answer;
int32_t VetoWindow::seenDrive;
int VetoWindow::messages;

TEST_F(DirectoryTest, DriveVetoFromInstallerWindow) {
    VetoWindow installer;
    ASSERT_NE(installer.window, nullptr);
    SetWindowFn setWindow = Export<SetWindowFn>("_QVRSetHInstbin@4");
    ASSERT_NE(setWindow, nullptr);
    setWindow(installer.window);
    ASSERT_TRUE(SetCurrentDirectoryA(dir.path().c_str()));

    const std::string lower = "c" + (dir / "LOWER").substr(1);
    struct Row {
        std::string path;
        int32_t answer;
        int result;
        int32_t drive;       // letter the window is shown
        const char* created; // entry expected in dir afterwards, or null
    } rows[] = {
        {dir / "VETOED", 8, 1, 'C', nullptr},
        {dir / "ZERO", 0, 0, 'C', "ZERO"},
        {dir / "SEVEN", 7, 0, 'C', "SEVEN"},
        {lower, 0, 0, 'C', "LOWER"},
        {lower + "2", 8, 1, 'C', nullptr},
        {"C:\\", 8, 1, 'C', nullptr},
        {"C:\\", 0, 3, 'C', nullptr},
        // Without a drive in the path a veto answer does not count.
        {"relative", 8, 0, 'R', "relative"},
    };
    std::set<std::string> expected;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.path);
        VetoWindow::answer = row.answer;
        VetoWindow::seenDrive = 0;
        VetoWindow::messages = 0;
        EXPECT_EQ(createDir(installer.window, row.path.c_str()), row.result);
        EXPECT_EQ(VetoWindow::messages, 1);
        EXPECT_EQ(VetoWindow::seenDrive, row.drive);
        if (row.created != nullptr)
            expected.insert(row.created);
        EXPECT_EQ(Entries(dir.path()), expected);
    }

    // The window asked is the one passed in: none, no question.
    VetoWindow::answer = 8;
    VetoWindow::messages = 0;
    EXPECT_EQ(createDir(nullptr, (dir / "NOWINDOW").c_str()), 0);
    EXPECT_TRUE(DirExists(dir / "NOWINDOW"));
    // A network path is never a drive to ask about.
    EXPECT_EQ(createDir(installer.window, ("\\\\?\\" + (dir / "NET")).c_str()), 0);
    EXPECT_TRUE(DirExists(dir / "NET"));
    EXPECT_EQ(VetoWindow::messages, 0);
    setWindow(nullptr);
}

TEST_F(DirectoryTest, IsValidDirKeepsCurrentDirectory) {
    WriteBytes(dir / "file", "x");
    ASSERT_TRUE(CreateDirectoryA((dir / "sub").c_str(), nullptr));
    struct Row {
        std::string path;
        bool valid;
    } rows[] = {{dir / "sub", true},   {dir.path(), true}, {dir / "missing", false},
                {dir / "file", false}, {"", false},        {"C:\\", true}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.path);
        EXPECT_EQ(isValidDir(row.path.c_str()) != 0, row.valid);
        EXPECT_EQ(CurrentDirectory(), savedCurrent);
    }
    EXPECT_EQ(isValidDir(nullptr), FALSE);

    // The failure's reason survives the change back.
    SetLastError(0xDEADBEEF);
    EXPECT_EQ(isValidDir((dir / "missing").c_str()), FALSE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));

    size_t before = CountHeapBlocks();
    for (int i = 0; i < 200; ++i)
        isValidDir(dir.path().c_str());
    EXPECT_LE(CountHeapBlocks(), before + 5);
}

TEST_F(DirectoryTest, ConstantAnswersAndUncPaths) {
    EXPECT_EQ(supportsLfn(), 1);
    EXPECT_EQ(longName(0, 0, 0), 0);
    EXPECT_EQ(longName(0xFFFFFFFF, 1, 2), 0);
    struct Row {
        const char* path;
        int unc;
    } rows[] = {{"\\\\server\\share", 1},   {"\\\\", 1},    {"\\\\\\server", 0},
                {"\\\\server\\\\share", 0}, {"C:\\dir", 0}, {"", 0}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.path);
        EXPECT_EQ(isUncPath(row.path), row.unc);
    }
    EXPECT_EQ(isUncPath(nullptr), 0);
}

TEST_F(DirectoryTest, VolumeInformation) {
    DWORD serial = 0, maxComponent = 0, flags = 0;
    ASSERT_TRUE(
        GetVolumeInformationA("C:\\", nullptr, 0, &serial, &maxComponent, &flags, nullptr, 0));
    WORD gotFlags = 0xCCCC, gotMax = 0xCCCC, gotSerial = 0xCCCC;
    EXPECT_NE(volumeInfo("C:\\", &gotFlags, &gotMax, &gotSerial), FALSE);
    EXPECT_EQ(gotFlags, LOWORD(flags));
    EXPECT_EQ(gotMax, LOWORD(maxComponent));
    EXPECT_EQ(gotSerial, LOWORD(serial));

    for (const std::string& root : {dir / "missing\\", std::string("C:\\no such dir\\")}) {
        SCOPED_TRACE(root);
        gotFlags = gotMax = gotSerial = 0xCCCC;
        EXPECT_EQ(volumeInfo(root.c_str(), &gotFlags, &gotMax, &gotSerial), FALSE);
        EXPECT_EQ(gotFlags, 0);
        EXPECT_EQ(gotMax, 0);
        EXPECT_EQ(gotSerial, 0);
    }
}

TEST_F(DirectoryTest, ChangeAndGetCurrentDirectory) {
    EXPECT_NE(changeDirectory(dir.path().c_str()), FALSE);
    char buffer[MAX_PATH + 10];
    std::memset(buffer, 0xCC, sizeof buffer);
    EXPECT_EQ(getCurrentDirectory(12345, buffer, MAX_PATH), 1);
    EXPECT_EQ(lstrcmpiA(buffer, dir.path().c_str()), 0);

    // Too small: still 1, but the buffer holds nothing misleading.
    std::memset(buffer, 0xCC, sizeof buffer);
    EXPECT_EQ(getCurrentDirectory(0, buffer, 4), 1);
    EXPECT_EQ(buffer[0], '\0');
    EXPECT_EQ(static_cast<unsigned char>(buffer[4]), 0xCC);
    EXPECT_EQ(getCurrentDirectory(0, nullptr, 10), 0);

    SetLastError(0xDEADBEEF);
    EXPECT_EQ(changeDirectory((dir / "missing").c_str()), FALSE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(changeDirectory(nullptr), FALSE);
    EXPECT_EQ(lstrcmpiA(CurrentDirectory().c_str(), dir.path().c_str()), 0);
}

TEST_F(DirectoryTest, MakeAndRemoveDirectory) {
    EXPECT_NE(makeDirectory((dir / "M").c_str()), FALSE);
    EXPECT_TRUE(DirExists(dir / "M"));
    SetLastError(0xDEADBEEF);
    EXPECT_EQ(makeDirectory((dir / "M").c_str()), FALSE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    SetLastError(0xDEADBEEF);
    EXPECT_EQ(makeDirectory((dir / "P\\Q").c_str()), FALSE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
    EXPECT_EQ(makeDirectory(nullptr), FALSE);

    WriteBytes(dir / "M\\f", "x");
    EXPECT_EQ(removeDirectory((dir / "M").c_str()), FALSE); // not empty
    DeleteFileA((dir / "M\\f").c_str());
    EXPECT_NE(removeDirectory((dir / "M").c_str()), FALSE);
    EXPECT_FALSE(DirExists(dir / "M"));
    SetLastError(0xDEADBEEF);
    EXPECT_EQ(removeDirectory(""), FALSE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    EXPECT_EQ(removeDirectory(nullptr), FALSE);
}

TEST_F(DirectoryTest, FileAttributes) {
    WriteBytes(dir / "f", "x");
    DWORD value = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN;
    EXPECT_NE(attributes(TRUE, (dir / "f").c_str(), &value), FALSE);
    value = 0;
    EXPECT_EQ(attributes(FALSE, (dir / "f").c_str(), &value), TRUE);
    EXPECT_EQ(value & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN),
              static_cast<DWORD>(FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN));
    value = FILE_ATTRIBUTE_NORMAL;
    EXPECT_NE(attributes(TRUE, (dir / "f").c_str(), &value), FALSE);

    value = 0;
    EXPECT_EQ(attributes(FALSE, dir.path().c_str(), &value), TRUE);
    EXPECT_NE(value & FILE_ATTRIBUTE_DIRECTORY, 0u);

    value = 0x1234;
    EXPECT_EQ(attributes(FALSE, (dir / "missing").c_str(), &value), FALSE);
    EXPECT_EQ(value, 0xFFFFFFFFu);
    value = FILE_ATTRIBUTE_NORMAL;
    EXPECT_EQ(attributes(TRUE, (dir / "missing").c_str(), &value), FALSE);
    EXPECT_EQ(attributes(FALSE, (dir / "f").c_str(), nullptr), FALSE);
    EXPECT_EQ(attributes(FALSE, nullptr, &value), FALSE);
}

TEST_F(DirectoryTest, RenameFile) {
    WriteBytes(dir / "old", "content");
    EXPECT_NE(renameFile((dir / "old").c_str(), (dir / "new").c_str()), FALSE);
    EXPECT_FALSE(FileExists(dir / "old"));
    EXPECT_EQ(ReadBytes(dir / "new"), "content");
    EXPECT_EQ(renameFile((dir / "old").c_str(), (dir / "other").c_str()), FALSE);

    const std::string name = dir / "new";
    const char* bad[][2] = {
        {nullptr, name.c_str()}, {name.c_str(), nullptr}, {"", name.c_str()}, {name.c_str(), ""}};
    for (auto& args : bad) {
        SetLastError(0xDEADBEEF);
        EXPECT_EQ(renameFile(args[0], args[1]), FALSE);
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    }
    EXPECT_TRUE(FileExists(dir / "new"));
}

TEST_F(DirectoryTest, ShortNames) {
    WriteBytes(dir / "A Long File Name.text", "x");
    const std::string path = dir / "A Long File Name.text";
    char expected[264] = "";
    ASSERT_NE(GetShortPathNameA(path.c_str(), expected, sizeof expected), 0u);

    char buffer[264];
    std::memset(buffer, 0xCC, sizeof buffer);
    EXPECT_EQ(shortName(path.c_str(), buffer, sizeof buffer), 1);
    EXPECT_STREQ(buffer, expected);

    // Too small: 1 all the same (the callers pass 264 bytes), buffer empty.
    std::memset(buffer, 0xCC, sizeof buffer);
    EXPECT_EQ(shortName(path.c_str(), buffer, 5), 1);
    EXPECT_EQ(buffer[0], '\0');
    EXPECT_EQ(static_cast<unsigned char>(buffer[5]), 0xCC);

    std::memset(buffer, 0xCC, sizeof buffer);
    EXPECT_EQ(shortName((dir / "missing.txt").c_str(), buffer, sizeof buffer), 0);
    EXPECT_EQ(shortName(nullptr, buffer, sizeof buffer), 0);
    EXPECT_EQ(shortName(path.c_str(), nullptr, 10), 0);
}

TEST_F(DirectoryTest, FileSearch) {
    WriteBytes(dir / "one.txt", "1");
    WriteBytes(dir / "two.txt", "2");
    ASSERT_TRUE(CreateDirectoryA((dir / "sub").c_str(), nullptr));

    WIN32_FIND_DATAA data;
    HANDLE search = findFirst((dir / "*.*").c_str(), 0xFFFF, &data);
    ASSERT_NE(search, nullptr);
    ASSERT_NE(search, INVALID_HANDLE_VALUE);
    std::set<std::string> names;
    std::set<std::string> directories;
    do {
        names.insert(data.cFileName);
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            directories.insert(data.cFileName);
    } while (findNext(search, &data));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_MORE_FILES));
    EXPECT_EQ(names, (std::set<std::string>{".", "..", "one.txt", "two.txt", "sub"}));
    EXPECT_EQ(directories, (std::set<std::string>{".", "..", "sub"}));
    EXPECT_NE(findClose(search), FALSE);

    // Nothing found: null, never INVALID_HANDLE_VALUE; closing null is harmless.
    SetLastError(0xDEADBEEF);
    EXPECT_EQ(findFirst((dir / "*.none").c_str(), 0, &data), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(findFirst((dir / "missing\\*.*").c_str(), 0, &data), nullptr);
    EXPECT_EQ(findFirst(nullptr, 0, &data), nullptr);
    EXPECT_EQ(findFirst((dir / "*.*").c_str(), 0, nullptr), nullptr);
    EXPECT_EQ(findClose(nullptr), TRUE);
    EXPECT_EQ(findNext(nullptr, &data), FALSE);
}

} // namespace
