// ini_editing.cpp: adding keys to an INI file against WritePrivateProfileStringA.
#include "bench.h"

#include "files.h"

namespace bench {

void IniEditing() {
    int lines = 2000;
    int keys = options.quick ? 100 : 1000;
    std::string original = MakeIni(lines);
    std::vector<std::string> added, names, values;
    for (int i = 0; i < keys; ++i) {
        names.push_back("Added" + std::to_string(i));
        values.push_back("value " + std::to_string(i * 7));
        added.push_back(names.back() + "=" + values.back() + "\r\n");
    }
    std::string ourPath = WorkPath("ours.ini"), peerPath;
    int run = 0;
    auto prepare = [&](bool ours) {
        // The profile API caches files: each of its runs gets a new one.
        if (!ours)
            peerPath = WorkPath("peer" + std::to_string(++run) + ".ini");
        if (!WriteFileBytes(ours ? ourPath : peerPath, original))
            Fail("writing the INI files");
    };
    std::string lastPeer;
    Compare(
        "Add " + std::to_string(keys) + " keys to a " + std::to_string(lines) +
            "-line INI and write it",
        std::to_string(keys) + " x WritePrivateProfileStringA", 200, Reps(5),
        [&] {
            int h = lib.CreateTextFileObject(ourPath.c_str(), 4, ";", nullptr, nullptr, nullptr, 0);
            if (h == -1) {
                Fail("CreateTextFileObject " + ourPath);
                return;
            }
            lib.TFSetSection(h, "Target");
            for (const std::string& line : added)
                if (lib.TFAddLineTail(h, line.c_str()) != 1)
                    Fail("TFAddLineTail");
            DWORD size = 0;
            char* out = lib.TFCreateOutput(h, &size);
            if (out == nullptr ||
                lib.QVRPutFile(ourPath.c_str(), out, size, OF_CREATE | OF_WRITE) != 1)
                Fail("writing the edited INI file");
            if (out != nullptr) {
                HGLOBAL block = GlobalHandle(out);
                GlobalUnlock(block);
                GlobalFree(block);
            }
            lib.DestroyTextFileObject(h);
        },
        [&] {
            for (int i = 0; i < keys; ++i)
                WritePrivateProfileStringA("Target", names[i].c_str(), values[i].c_str(),
                                           peerPath.c_str());
            lastPeer = peerPath;
        },
        prepare);
    // Both files now hold every added key and the keys they had before.
    WritePrivateProfileStringA(nullptr, nullptr, nullptr,
                               lastPeer.c_str()); // flush the profile cache
    for (const std::string* path : {&ourPath, &lastPeer}) {
        for (int i = 0; i < keys; ++i)
            if (ProfileValue(*path, {"Target", names[i], ""}) != values[i]) {
                Fail(*path + " lacks " + names[i]);
                break;
            }
        if (ProfileValue(*path, {"Target", "Entry48", ""}).empty() ||
            ProfileValue(*path, {"Section0", "Entry0", ""}) != "value 0")
            Fail(*path + " lost keys it had");
    }
    for (int r = 1; r <= run; ++r)
        DeleteFileA(WorkPath("peer" + std::to_string(r) + ".ini").c_str());
}

} // namespace bench
