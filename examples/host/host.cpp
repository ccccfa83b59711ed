// host.cpp: a small installer stand-in. It loads qvrdll32.dll the way an
// installer does (LoadLibraryA, exports by decorated name) and reports what
// the library does with a bundled sample script.
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

using InfInitFn = int(WINAPI*)(LPCSTR);
using InfInitDiskInfFn = int(WINAPI*)(LPCSTR, LPCSTR);
struct Context {
    char* scriptImage;
    char* diskInfImage;
};
using SaveFunctionsFn = void(WINAPI*)(Context**, void**);

HMODULE library;

template <class F> F Get(const char* name) {
    F f = reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(library, name)));
    if (f == nullptr) {
        std::printf("export %s is missing\n", name);
        ExitProcess(2);
    }
    return f;
}

// Prints an image line by line: lines are NUL-separated, a double NUL ends a
// section, and NUL NUL 0x1A ends the image.
void PrintImage(const char* title, const char* image) {
    std::printf("%s:\n", title);
    if (image == nullptr) {
        std::printf("  (none)\n");
        return;
    }
    const char* p = image;
    size_t offset = 0;
    for (;;) {
        if (p[offset] == '\0') {
            if (p[offset + 1] == '\0' && p[offset + 2] == 0x1A)
                break;
            ++offset;
            continue;
        }
        std::printf("  %5u  %s\n", static_cast<unsigned>(offset), p + offset);
        offset += std::string(p + offset).size();
    }
    std::printf("  (%u bytes)\n", static_cast<unsigned>(offset + 4));
}

} // namespace

int main(int argc, char** argv) {
    char exe[MAX_PATH];
    GetModuleFileNameA(nullptr, exe, sizeof exe);
    std::string folder = exe;
    folder = folder.substr(0, folder.find_last_of('\\') + 1);
    std::string sample = argc > 1 ? argv[1] : folder + "sample";

    library = LoadLibraryA((folder + "qvrdll32.dll").c_str());
    if (library == nullptr) {
        std::printf("cannot load qvrdll32.dll (error %lu)\n", GetLastError());
        return 1;
    }
    auto infInit = Get<InfInitFn>("_InfInit@4");
    auto infInitDiskInf = Get<InfInitDiskInfFn>("_InfInitDiskInf@8");
    auto saveFunctions = Get<SaveFunctionsFn>("_SaveFunctions@8");

    std::string script = sample + "\\setup.inf";
    std::string disks = sample + "\\disks.inf";
    std::printf("InfInit(%s) = %d\n", script.c_str(), infInit(script.c_str()));
    std::printf("InfInitDiskInf(%s, \"Disk\") = %d\n", disks.c_str(),
                infInitDiskInf(disks.c_str(), "Disk"));

    Context* context = nullptr;
    void* service = nullptr;
    saveFunctions(&context, &service);
    if (context == nullptr) {
        std::printf("no script context\n");
        return 1;
    }
    PrintImage("Parsed script", context->scriptImage);
    PrintImage("Parsed disks.inf (sections Disk*)", context->diskInfImage);
    return 0;
}
