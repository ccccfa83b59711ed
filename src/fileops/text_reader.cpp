// fileops/text_reader.cpp
#include "fileops/text_reader.h"

namespace qvr {

namespace {
constexpr char kCr = '\r';
constexpr char kLf = '\n';
constexpr char kCtrlZ = '\x1A';
} // namespace

size_t TextModeDecoder::Decode(const char* raw, size_t length, char* out) {
    size_t written = 0;
    for (size_t i = 0; i < length && !ended_; ++i) {
        char c = raw[i];
        if (heldCr_) {
            heldCr_ = false;
            if (c == kLf) {
                out[written++] = kLf;
                continue;
            }
            out[written++] = kCr;
        }
        if (c == kCtrlZ)
            ended_ = true;
        else if (c == kCr)
            heldCr_ = true;
        else
            out[written++] = c;
    }
    return written;
}

size_t TextModeDecoder::Finish(char* out) {
    if (!heldCr_ || ended_)
        return 0;
    heldCr_ = false;
    out[0] = kCr;
    return 1;
}

TextFileReader::TextFileReader(size_t chunk)
    : chunk_(chunk == 0 || chunk > kMaxChunk ? kMaxChunk : chunk) {}

bool TextFileReader::Open(LPCSTR path) {
    file_.reset(CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    position_ = available_ = 0;
    atEnd_ = false;
    decoder_ = TextModeDecoder();
    return file_.valid();
}

bool TextFileReader::Fill() {
    position_ = available_ = 0;
    // A chunk can decode to nothing (a lone CR held back): read on.
    while (available_ == 0 && !atEnd_) {
        DWORD read = 0;
        if (!ReadFile(file_.get(), raw_, static_cast<DWORD>(chunk_), &read, nullptr) || read == 0) {
            available_ = decoder_.Finish(decoded_);
            atEnd_ = true;
            break;
        }
        available_ = decoder_.Decode(raw_, read, decoded_);
        if (decoder_.Ended())
            atEnd_ = true;
    }
    return available_ != 0;
}

bool TextFileReader::ReadLine(char* buffer, size_t size) {
    if (!file_.valid() || buffer == nullptr || size == 0)
        return false;
    size_t length = 0;
    while (length + 1 < size) {
        if (position_ == available_ && !Fill())
            break;
        char c = decoded_[position_++];
        buffer[length++] = c;
        if (c == kLf)
            break;
    }
    if (length == 0 && size > 1)
        return false;
    buffer[length] = '\0';
    return true;
}

} // namespace qvr
