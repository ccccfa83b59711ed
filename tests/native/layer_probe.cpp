// native/layer_probe.cpp
#include "native/layer_probe.h"

#include "resources/resource_ids.h"

#include <windows.h>

#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace qvrtest {

namespace {

std::string Hex(const char* text) {
    std::string out;
    char piece[4];
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text); *p; ++p) {
        std::snprintf(piece, sizeof piece, "%02X", *p);
        out += piece;
    }
    return out.empty() ? "-" : out;
}

__attribute__((format(printf, 1, 2))) std::string Line(const char* format, ...) {
    char buffer[512];
    va_list args;
    va_start(args, format);
    std::vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    return buffer;
}

// Offsets CharNextA steps through, then the ones CharPrevA steps back through.
std::string Walk(const char* text) {
    std::string out = "next";
    const char* p = text;
    for (int guard = 0; guard < 40; ++guard) {
        const char* next = CharNextA(p);
        out += Line(" %d", static_cast<int>(next - text));
        if (next == p)
            break;
        p = next;
    }
    out += " prev";
    for (int guard = 0; guard < 40; ++guard) {
        const char* prev = CharPrevA(text, p);
        out += Line(" %d", static_cast<int>(prev - text));
        if (prev == p)
            break;
        p = prev;
    }
    return out;
}

void Bytes(std::vector<std::string>& lines) {
    for (int b = 1; b < 256; ++b) {
        char one[2] = {static_cast<char>(b), 0};
        char upper[2], lower[2], oem[8] = {}, ansi[8] = {};
        std::memcpy(upper, one, 2);
        std::memcpy(lower, one, 2);
        CharUpperA(upper);
        CharLowerA(lower);
        CharToOemA(one, oem);
        OemToCharA(one, ansi);
        // The single-character form: the character in the low word.
        auto upperChar =
            static_cast<unsigned>(reinterpret_cast<ULONG_PTR>(CharUpperA(
                                      reinterpret_cast<LPSTR>(static_cast<ULONG_PTR>(b)))) &
                                  0xFF);
        // A lone lead byte is no character: what the OEM conversion makes of
        // it (Wine writes three bytes for it) is not recorded.
        bool lead = IsDBCSLeadByte(static_cast<BYTE>(b));
        lines.push_back(Line("byte %02X lead %d upper %s lower %s oem %s ansi %s upperchar %02X", b,
                             lead ? 1 : 0, Hex(upper).c_str(), Hex(lower).c_str(),
                             lead ? "skipped" : Hex(oem).c_str(),
                             lead ? "skipped" : Hex(ansi).c_str(), upperChar));
    }
}

void Strings(std::vector<std::string>& lines) {
    static const char* const walks[] = {
        "",
        "abc",
        "\x81\x40x",
        "a\x81",
        "\x82\x60\x82\x81",
        "\xE0\x40\xFC",
        "\x81\x81\x81",
        "\xA1\xB1",
        "C:\\\x95\x5C\\",
        "\x83\x9F\x84\x40z",
    };
    for (const char* text : walks)
        lines.push_back(Line("walk %s %s", Hex(text).c_str(), Walk(text).c_str()));

    // The Western sample is no valid double-byte text: it is left out there.
    bool doubleByte = IsDBCSLeadByte(0x81);
    static const char* const cases[] = {
        "Hello, World",
        "\x82\x60\x82\x81\x82\x79\x82\x9A",
        "\x83\x9F\x83\xBF\x84\x40\x84\x70",
        "a\x81",
        "\x81\x61",
        // The ends of the double-byte Greek and Cyrillic rows (the lower
        // Cyrillic row skips 0x847F).
        "\x84\x4E\x84\x4F\x84\x60\x84\x7E\x84\x80\x84\x91\x83\xB6\x83\xD6",
        "\xC0\xE0\xDE\xFE\xD7\xF7\x8A\x9A\xFF\x9F\xDF\xB5",
    };
    for (const char* text : cases) {
        if (doubleByte && static_cast<unsigned char>(text[0]) == 0xC0)
            continue;
        char upper[64], lower[64];
        std::strcpy(upper, text);
        std::strcpy(lower, text);
        CharUpperA(upper);
        CharLowerA(lower);
        lines.push_back(Line("case %s upper %s lower %s", Hex(text).c_str(), Hex(upper).c_str(),
                             Hex(lower).c_str()));
    }

    static const char* const pairs[][2] = {
        {"abc", "ABC"},         {"abc", "abd"},           {"", ""},      {"a", ""},
        {"\xE0", "\xC0"},       {"\x9A", "\x8A"},         {"_", "a"},    {"path", "PATH"},
        {"C:\\DOS", "c:\\dos"}, {"\x82\x60", "\x82\x81"}, {"a-b", "ab"}, {"\xFF", "\x9F"},
    };
    for (const auto& pair : pairs)
        lines.push_back(Line("cmpi %s %s equal %d", Hex(pair[0]).c_str(), Hex(pair[1]).c_str(),
                             lstrcmpiA(pair[0], pair[1]) == 0 ? 1 : 0));

    for (int size : {-1, 0, 1, 2, 4, 8}) {
        char buffer[16];
        std::memset(buffer, 'Z', sizeof buffer);
        buffer[15] = '\0';
        LPSTR result = lstrcpynA(buffer, "abcdef", size);
        lines.push_back(
            Line("cpyn %d result %d text %s", size, result == buffer ? 1 : 0, Hex(buffer).c_str()));
    }
    lines.push_back(Line("lenA null %d abc %d", lstrlenA(nullptr), lstrlenA("abc")));
}

void Memory(std::vector<std::string>& lines) {
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, 10);
    auto* p = static_cast<unsigned char*>(GlobalLock(block));
    bool zero = true;
    for (int i = 0; i < 10; ++i)
        zero = zero && p[i] == 0;
    lines.push_back(Line("global size %u zero %d handle %d",
                         static_cast<unsigned>(GlobalSize(block)), zero ? 1 : 0,
                         GlobalHandle(p) == block ? 1 : 0));
    std::memset(p, 0x55, 10);
    lines.push_back(Line("global unlock %d", GlobalUnlock(block) ? 1 : 0));
    HGLOBAL grown = GlobalReAlloc(block, 20, GMEM_MOVEABLE | GMEM_ZEROINIT);
    p = static_cast<unsigned char*>(GlobalLock(grown));
    lines.push_back(Line("global grown size %u kept %02X%02X new %02X%02X handle %d",
                         static_cast<unsigned>(GlobalSize(grown)), p[0], p[9], p[10], p[19],
                         GlobalHandle(p) == grown ? 1 : 0));
    GlobalUnlock(grown);
    lines.push_back(Line("global free %d", GlobalFree(grown) == nullptr ? 1 : 0));

    void* heap = HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, 13);
    lines.push_back(Line("heap size %u zero %d",
                         static_cast<unsigned>(HeapSize(GetProcessHeap(), 0, heap)),
                         static_cast<unsigned char*>(heap)[12] == 0 ? 1 : 0));
    HeapFree(GetProcessHeap(), 0, heap);
}

void StringTable(std::vector<std::string>& lines) {
    HINSTANCE instance = GetModuleHandleA(nullptr);
    for (UINT id : {UINT{IDS_RUNONCE_VALUE_NAME}, UINT{IDS_SHELL_KDOS}, UINT{IDS_PATH_ASSIGNMENT},
                    UINT{IDS_SCRIPT_TOO_BIG}, UINT{IDS_DISKINF_TOO_BIG}, 9999u}) {
        char text[512];
        std::memset(text, 'Z', sizeof text);
        int length = LoadStringA(instance, id, text, sizeof text);
        char cut[5];
        std::memset(cut, 'Z', sizeof cut);
        int cutLength = LoadStringA(instance, id, cut, sizeof cut);
        lines.push_back(Line("string %u length %d text %s cut %d %s", id, length,
                             length > 0 ? text : "-", cutLength,
                             Hex(cut[4] == 0 ? cut : "").c_str()));
    }
}

} // namespace

std::vector<std::string> ProbeLayer() {
    std::vector<std::string> lines;
    lines.push_back(Line("acp %u", GetACP()));
    Bytes(lines);
    Strings(lines);
    Memory(lines);
    StringTable(lines);
    return lines;
}

} // namespace qvrtest
