// tree_copy.cpp: copying a tree against a FindFirstFileA walk with CopyFileA, and
// the cost of each platform call the copy makes per file.
#include "bench.h"

#include "files.h"

#include <lzexpand.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace bench {

std::vector<StepCost> stepCosts;

namespace {

void CopyTreeWithPlatform(const std::string& from, const std::string& to) {
    CreateDirectoryA(to.c_str(), nullptr);
    WIN32_FIND_DATAA data;
    HANDLE search = FindFirstFileA((from + "\\*").c_str(), &data);
    if (search == INVALID_HANDLE_VALUE)
        return;
    do {
        std::string name = data.cFileName;
        if (name == "." || name == "..")
            continue;
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            CopyTreeWithPlatform(from + "\\" + name, to + "\\" + name);
        else if (!CopyFileA((from + "\\" + name).c_str(), (to + "\\" + name).c_str(), FALSE))
            Fail("CopyFileA " + from + "\\" + name);
    } while (FindNextFileA(search, &data));
    FindClose(search);
}

bool SameTree(const std::string& a, const std::string& b) {
    std::vector<std::string> fa = ListFiles(a), fb = ListFiles(b);
    if (fa != fb)
        return false;
    for (const std::string& f : fa)
        if (ReadFileBytes(a + "\\" + f) != ReadFileBytes(b + "\\" + f))
            return false;
    return true;
}

} // namespace

void TreeCopy() {
    int files = options.quick ? 40 : 2000;
    std::size_t maxBytes = options.quick ? 16 * 1024 : 256 * 1024;
    std::string source = WorkPath("tree");
    CreateDirectoryA(source.c_str(), nullptr);
    // Three levels: the root, 8 folders, 8 folders in each.
    std::vector<std::string> dirs{source};
    for (int i = 0; i < 8; ++i) {
        std::string d = source + "\\dir" + std::to_string(i);
        CreateDirectoryA(d.c_str(), nullptr);
        dirs.push_back(d);
        for (int j = 0; j < 8; ++j) {
            std::string e = d + "\\sub" + std::to_string(j);
            CreateDirectoryA(e.c_str(), nullptr);
            dirs.push_back(e);
        }
    }
    Random random(11);
    std::size_t total = 0;
    for (int i = 0; i < files; ++i) {
        std::size_t size = random.Between(1024, static_cast<std::uint32_t>(maxBytes));
        std::string bytes(size, '\0');
        for (std::size_t k = 0; k < size; k += 4) {
            std::uint32_t v = random.Next();
            std::memcpy(&bytes[k], &v, std::min<std::size_t>(4, size - k));
        }
        total += size;
        if (!WriteFileBytes(dirs[static_cast<std::size_t>(i) % dirs.size()] + "\\file" +
                                std::to_string(i) + ".dat",
                            bytes))
            Fail("writing the source tree");
    }
    std::string ours = WorkPath("copy_ours"), theirs = WorkPath("copy_platform");
    auto prepare = [&](bool forOurs) { RemoveTree(forOurs ? ours : theirs); };
    Compare(
        "Copy a tree of " + std::to_string(files) + " files (" +
            Fixed(static_cast<double>(total) / 1048576.0, 0) + " MB)",
        "FindFirstFileA walk + CopyFileA", 0.5, Reps(3),
        [&] {
            if (lib.QVRDumpDirectory(source.c_str(), ours.c_str()) != 1)
                Fail("QVRDumpDirectory");
        },
        [&] { CopyTreeWithPlatform(source, theirs); }, prepare);
    // The last copy of each is still there.
    if (!SameTree(source, ours))
        Fail("QVRDumpDirectory's copy differs from the source");
    if (!SameTree(source, theirs))
        Fail("the platform's copy differs from the source");
    RemoveTree(ours);
    RemoveTree(theirs);
    RemoveTree(source);
}

void FileStepCosts() {
    std::string dir = WorkPath("steps");
    CreateDirectoryA(dir.c_str(), nullptr);
    std::string source = dir + "\\source.dat", temporary = dir + "\\~ource.dat",
                final = dir + "\\final.dat";
    Random random(13);
    std::string bytes(128 * 1024, '\0');
    for (char& c : bytes)
        c = static_cast<char>(random.Next());
    WriteFileBytes(source, bytes);
    int reps = options.quick ? 3 : 25;
    auto median = [&](const std::function<void()>& step, const std::function<void()>& after) {
        std::vector<double> t;
        for (int r = 0; r < reps; ++r) {
            t.push_back(Time(step));
            after();
        }
        return Median(t);
    };
    auto nothing = [] {};
    char buffer[MAX_PATH];
    stepCosts.push_back(
        {"GetShortPathNameA (the library takes 4 short forms per file)",
         median([&] { GetShortPathNameA(source.c_str(), buffer, MAX_PATH); }, nothing)});
    stepCosts.push_back(
        {"GetExpandedNameA (opens the file for its header)",
         median([&] { GetExpandedNameA(const_cast<LPSTR>(source.c_str()), buffer); }, nothing)});
    stepCosts.push_back({"CreateFileA + CloseHandle of the temporary",
                         median(
                             [&] {
                                 CloseHandle(CreateFileA(temporary.c_str(), GENERIC_WRITE, 0,
                                                         nullptr, CREATE_ALWAYS,
                                                         FILE_ATTRIBUTE_NORMAL, nullptr));
                             },
                             nothing)});
    stepCosts.push_back(
        {"LZOpenFileA x 2 + LZCopy + LZClose x 2 (128 KB, not compressed)",
         median(
             [&] {
                 OFSTRUCT a = {}, b = {};
                 INT from = LZOpenFileA(const_cast<LPSTR>(source.c_str()), &a, OF_READ);
                 INT to = LZOpenFileA(const_cast<LPSTR>(temporary.c_str()), &b, OF_CREATE);
                 if (LZCopy(from, to) < 0)
                     Fail("LZCopy");
                 LZClose(from);
                 LZClose(to);
             },
             nothing)});
    stepCosts.push_back({"in-use test: CreateFileA read/write, no sharing (x 2 per file)",
                         median(
                             [&] {
                                 HANDLE h = CreateFileA(final.c_str(), GENERIC_READ | GENERIC_WRITE,
                                                        0, nullptr, OPEN_EXISTING,
                                                        FILE_ATTRIBUTE_NORMAL, nullptr);
                                 if (h != INVALID_HANDLE_VALUE)
                                     CloseHandle(h);
                             },
                             nothing)});
    stepCosts.push_back({"CopyFileA temporary -> final (128 KB)",
                         median([&] { CopyFileA(temporary.c_str(), final.c_str(), FALSE); },
                                [&] { DeleteFileA(final.c_str()); })});
    stepCosts.push_back({"DeleteFileA of the temporary",
                         median([&] { DeleteFileA(temporary.c_str()); },
                                [&] { CopyFileA(source.c_str(), temporary.c_str(), FALSE); })});
    stepCosts.push_back({"for comparison: CopyFileA source -> final (128 KB)",
                         median([&] { CopyFileA(source.c_str(), final.c_str(), FALSE); },
                                [&] { DeleteFileA(final.c_str()); })});
    std::string one = dir + "\\one", out = dir + "\\out";
    CreateDirectoryA(one.c_str(), nullptr);
    CopyFileA(source.c_str(), (one + "\\file.dat").c_str(), FALSE);
    stepCosts.push_back({"for comparison: QVRDumpDirectory of a folder holding this one file",
                         median([&] { lib.QVRDumpDirectory(one.c_str(), out.c_str()); },
                                [&] { RemoveTree(out); })});
    for (const StepCost& c : stepCosts)
        std::printf("step: %-70s %8.3f ms\n", c.step.c_str(), c.seconds * 1e3);
    RemoveTree(dir);
}

} // namespace bench
