// consumer.cpp: what an installer does with qvrdll32.dll, linked through its
// import library. It reads the installation script, looks a value up, makes
// the first initialisation-file change of the script's [Ini] section in a
// copy of SYSTEM.INI, and asks TaskEnumProc for its own window's instance.
//   consumer SCRIPT FOLDER     (FOLDER is created; SYSTEM.INI there is rewritten)
// Exit code 0 when every step gave what it should, 1 otherwise.
#include <stdio.h>
#include <string.h>
#include <windows.h>
#include "qvrdll32.h"

static int failures = 0;

static void Check(bool ok, const char* step) {
    printf("%s %s\n", ok ? "ok  " : "FAIL", step);
    if (!ok)
        ++failures;
}

// Writes `text` to `path`, replacing what was there.
static bool PutText(const char* path, const char* text) {
    return QVRPutFile(path, text, lstrlenA(text), OF_CREATE | OF_WRITE) == 1;
}

// Adds "key=value" at the end of [section] of the initialisation file `path`.
static bool AddIniLine(const char* path, const char* section, const char* key, const char* value) {
    int file = CreateTextFileObject(path, QVR_TEXT_INI, ";", NULL, NULL, NULL, 0);
    if (file == -1)
        return false;
    char line[600];
    wsprintfA(line, "%s=%s\r\n", key, value);
    TFSetSection(file, section); // -1 if missing: the add then appends the header
    DWORD size = 0;
    LPSTR text = NULL;
    bool done = TFAddLineTail(file, line) == 1 && (text = TFCreateOutput(file, &size)) != NULL &&
                QVRPutFile(path, text, size, OF_CREATE | OF_WRITE) == 1;
    if (text != NULL) { // the block is ours
        HGLOBAL block = GlobalHandle(text);
        GlobalUnlock(block);
        GlobalFree(block);
    }
    DestroyTextFileObject(file);
    return done;
}

int main(int argc, char** argv) {
    if (argc != 3) {
        printf("usage: consumer SCRIPT FOLDER\n");
        return 2;
    }
    const char* folder = argv[2];
    Check(InfInit(argv[1]) == 1, "InfInit reads the script");

    char keyPath[] = "Setup.Title";
    char title[512];
    Check(InfLookup(keyPath, title) == 1 && strcmp(title, "Sample App 1.0") == 0,
          "InfLookup(\"Setup.Title\") gives \"Sample App 1.0\"");

    // [Ini] line 1: SYSTEM.INI = 386Enh, device, TARGET1\SAMPLE.386
    char* line = InfFindSection(NULL, "Ini");
    char file[512], section[512], key[512], value[512];
    Check(line != NULL && InfParseField(line, 0, file) == 1 &&
              InfParseField(line, 1, section) == 1 && InfParseField(line, 2, key) == 1 &&
              InfParseField(line, 3, value) == 1,
          "InfFindSection and InfParseField read the first [Ini] line");

    char path[MAX_PATH + 16];
    wsprintfA(path, "%s\\%s", folder, file);
    const char* before = "[boot]\r\nshell=progman.exe\r\n[386Enh]\r\ndevice=*vpicd\r\n";
    Check(QVRCreateDir(NULL, folder) == 0 && PutText(path, before), "QVRCreateDir and QVRPutFile");
    Check(AddIniLine(path, section, key, value),
          "CreateTextFileObject, TFSetSection, TFAddLineTail");

    HGLOBAL block = NULL;
    DWORD size = 0;
    const char* after = (const char*)QVRLoadFile(path, &block, &size);
    const char* expected = "[boot]\r\nshell=progman.exe\r\n[386Enh]\r\ndevice=*vpicd\r\n"
                           "device=TARGET1\\SAMPLE.386\r\n";
    Check(after != NULL && size == (DWORD)lstrlenA(expected) && memcmp(after, expected, size) == 0,
          "the edited file holds the new line at the end of [386Enh]");
    if (after != NULL) {
        GlobalUnlock(block);
        GlobalFree(block);
    }

    // TaskEnumProc is exported under its C++ name; the header makes this call
    // reference exactly that name.
    HINSTANCE self = GetModuleHandleA(NULL);
    HWND window = CreateWindowA("STATIC", "", 0, 0, 0, 1, 1, NULL, NULL, self, NULL);
    HINSTANCE found = NULL;
    Check(window != NULL && !TaskEnumProc(window, (LPARAM)&found) && found == self,
          "TaskEnumProc stops at a window with an instance handle and reports it");
    if (window != NULL)
        DestroyWindow(window);

    InfClose();
    printf("%s\n", failures == 0 ? "all steps passed" : "some steps failed");
    return failures == 0 ? 0 : 1;
}
