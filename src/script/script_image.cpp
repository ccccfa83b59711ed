// script/script_image.cpp
#include "script/script_image.h"

#include "fileops/text_reader.h"
#include "frame/module_state.h"
#include "resources/resource_ids.h"
#include "script/tokenizer.h"
#include "util/global_memory.h"
#include "util/unique.h"

#include <cstring>

namespace qvr {

namespace {

// Collects image bytes in an unlocked-while-growing movable block. The block
// starts at the input size + 3, which every image fits except one whose
// separator NULs before section headers outnumber the bytes the tokenizer
// dropped (bare-LF files); then the block grows.
class GlobalBlockSink final : public ImageSink {
  public:
    explicit GlobalBlockSink(size_t initial) {
        if (GlobalAllocShouldFail())
            return;
        block_.reset(GlobalAlloc(kMovableZeroed, initial));
        if (block_) {
            data_ = static_cast<unsigned char*>(GlobalLock(block_.get()));
            capacity_ = data_ ? initial : 0;
        }
    }
    ~GlobalBlockSink() override {
        if (data_ != nullptr)
            GlobalUnlock(block_.get());
    }
    bool valid() const { return data_ != nullptr; }

    bool Put(unsigned char c) override {
        if (size_ == capacity_ && !Grow())
            return false;
        data_[size_++] = c;
        return true;
    }
    size_t Size() const override { return size_; }
    unsigned char LastByte() const override { return size_ ? data_[size_ - 1] : 0; }

    // Shrinks the block to `finalSize` and hands it over, unlocked.
    HGLOBAL Finish(size_t finalSize) {
        GlobalUnlock(block_.get());
        data_ = nullptr;
        // If the shrinking fails, the larger block is kept as it is.
        HGLOBAL shrunk = GlobalReAlloc(block_.get(), finalSize, kMovableZeroed);
        if (shrunk != nullptr) {
            block_.release();
            block_.reset(shrunk);
        }
        return block_.release();
    }

  private:
    bool Grow() {
        size_t bigger = capacity_ + capacity_ / 2 + 256;
        GlobalUnlock(block_.get());
        data_ = nullptr;
        HGLOBAL grown = GlobalReAlloc(block_.get(), bigger, kMovableZeroed);
        if (grown != nullptr) {
            block_.release();
            block_.reset(grown);
            capacity_ = bigger;
        }
        data_ = static_cast<unsigned char*>(GlobalLock(block_.get()));
        return grown != nullptr && data_ != nullptr;
    }

    GlobalBlock block_;
    unsigned char* data_ = nullptr;
    size_t capacity_ = 0;
    size_t size_ = 0;
};

void WarnOversized(UINT messageId) {
    char text[264];
    char caption[264];
    if (LoadStringA(moduleInstance, messageId, text, sizeof text) == 0)
        text[0] = '\0';
    if (LoadStringA(moduleInstance, IDS_SCRIPT_ERROR_CAPTION, caption, sizeof caption) == 0)
        caption[0] = '\0';
    MessageBoxA(GetActiveWindow(), text, caption, MB_OK | MB_ICONEXCLAMATION);
}

// Case-insensitive for ASCII letters only, over the prefix's length.
bool StartsWithAsciiNoCase(const char* text, const char* prefix) {
    for (; *prefix != '\0'; ++text, ++prefix) {
        unsigned char a = static_cast<unsigned char>(*text);
        unsigned char b = static_cast<unsigned char>(*prefix);
        if (a >= 'A' && a <= 'Z')
            a = static_cast<unsigned char>(a - 'A' + 'a');
        if (b >= 'A' && b <= 'Z')
            b = static_cast<unsigned char>(b - 'A' + 'a');
        if (a != b)
            return false;
    }
    return true;
}

} // namespace

char* BuildImageFromText(const unsigned char* text, size_t length, UINT messageId) {
    GlobalBlockSink sink(length + 3);
    if (!sink.valid())
        return nullptr;
    // The image ends NUL NUL 0x1A, then one more zero byte.
    if (!TokenizeInto(text, length, sink) || !AppendImageEnd(sink) || !sink.Put('\0'))
        return nullptr;
    size_t finalSize = sink.Size();
    HGLOBAL block = sink.Finish(finalSize);
    if (finalSize > kImageWarningSize)
        WarnOversized(messageId);
    char* image = static_cast<char*>(GlobalLock(block));
    if (image == nullptr)
        GlobalFree(block);
    return image;
}

char* BuildScriptImage(LPCSTR path) {
    if (path == nullptr || path[0] == '\0')
        return nullptr;
    HGLOBAL fileBlock = nullptr;
    DWORD size = 0;
    void* text = FileService().LoadFile(path, &fileBlock, &size);
    if (text == nullptr)
        return nullptr;
    char* image = BuildImageFromText(static_cast<unsigned char*>(text), size, IDS_SCRIPT_TOO_BIG);
    FreeGlobalLocked(text);
    return image;
}

char* BuildDiskInfImage(LPCSTR path, LPCSTR sectionPrefix) {
    if (path == nullptr || path[0] == '\0' || sectionPrefix == nullptr || sectionPrefix[0] == '\0')
        return nullptr;
    // Text mode: CR LF arrives as LF and a Ctrl-Z byte ends the file.
    TextFileReader reader;
    if (!reader.Open(path))
        return nullptr;

    GlobalBlock collected;
    size_t collectedLength = 0;
    bool inSection = false;
    char piece[kDiskInfPieceChars + 1];
    while (reader.ReadLine(piece, sizeof piece)) {
        const char* p = piece;
        while (*p == ' ' || *p == '\t' || *p == '\n' || *p == '\r')
            ++p;
        if (*p == '\0' || *p == ';')
            continue;
        if (*p == '[')
            inSection = StartsWithAsciiNoCase(p + 1, sectionPrefix);
        if (!inSection)
            continue;

        size_t length = std::strlen(p);
        HGLOBAL grown = nullptr;
        if (!GlobalAllocShouldFail()) {
            grown = collected ? GlobalReAlloc(collected.get(), collectedLength + length + 1,
                                              kMovableZeroed)
                              : GlobalAlloc(kMovableZeroed, length + 1);
        }
        if (grown == nullptr)
            break; // out of memory: use what was collected so far
        collected.release();
        collected.reset(grown);
        char* dest = static_cast<char*>(GlobalLock(collected.get()));
        if (dest == nullptr)
            break;
        std::memcpy(dest + collectedLength, p, length);
        collectedLength += length;
        GlobalUnlock(collected.get());
    }
    if (collectedLength == 0)
        return nullptr;

    const unsigned char* text = static_cast<unsigned char*>(GlobalLock(collected.get()));
    if (text == nullptr)
        return nullptr;
    char* image = BuildImageFromText(text, collectedLength, IDS_DISKINF_TOO_BIG);
    GlobalUnlock(collected.get());
    return image;
}

void ReleaseImage(char* image) {
    FreeGlobalLocked(image);
}

} // namespace qvr
