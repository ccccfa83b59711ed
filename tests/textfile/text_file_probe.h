// textfile/text_file_probe.h: loading test files into text file objects and
// reading their lines back.
#pragma once

#include "support/temp_dir.h"
#include "textfile/plain_text_file.h"

#include <memory>
#include <string>
#include <vector>

namespace qvrtest {

// A text file class with its line records open to the test.
template <class Base> class Probe : public Base {
  public:
    TextLine* Line(int index) const { return this->LineAt(index); }
};

struct Markers {
    const char* m1 = nullptr;
    const char* m2 = nullptr;
    const char* m3 = nullptr;
    const char* m4 = nullptr;
};

class TextFileTest : public FileTest {
  protected:
    // Writes the bytes to a fresh file and opens it as a T; fails the test
    // (and gives null) when Open does not give 1.
    template <class T>
    std::unique_ptr<Probe<T>> Load(const std::string& bytes, Markers markers = {},
                                   DWORD ansiCase = 0) {
        std::string path = dir / ("f" + std::to_string(++files_) + ".txt");
        WriteBytes(path, bytes);
        std::unique_ptr<Probe<T>> file(new Probe<T>());
        int opened =
            file->Open(path.c_str(), markers.m1, markers.m2, markers.m3, markers.m4, ansiCase);
        EXPECT_EQ(opened, 1) << path;
        if (opened != 1)
            file.reset();
        return file;
    }

    // Every line as read back (511 characters at most).
    static std::vector<std::string> Texts(TextFile& file) {
        std::vector<std::string> out;
        char buffer[512];
        for (int i = 0; i < file.GetLineCount(); ++i)
            out.push_back(file.GetLineText(i, buffer, 511) ? buffer : "<missing>");
        return out;
    }

    static std::vector<DWORD> Flags(TextFile& file) {
        std::vector<DWORD> out;
        for (int i = 0; i < file.GetLineCount(); ++i)
            out.push_back(file.GetLineFlags(i));
        return out;
    }

    // The output image as a string (and the block released); "<null>" when
    // CreateOutput gives nothing.
    static std::string Output(TextFile& file) {
        DWORD size = 0xDEADBEEF;
        char* image = file.CreateOutput(&size);
        if (image == nullptr)
            return "<null>";
        std::string out(image, size);
        EXPECT_EQ(image[size], '\0');
        EXPECT_GE(GlobalSize(GlobalHandle(image)), static_cast<SIZE_T>(size) + 1);
        HGLOBAL block = GlobalHandle(image);
        GlobalUnlock(block);
        GlobalFree(block);
        return out;
    }

  private:
    int files_ = 0;
};

} // namespace qvrtest
