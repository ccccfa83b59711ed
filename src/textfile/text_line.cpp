// textfile/text_line.cpp
#include "textfile/text_line.h"

#include "textfile/line_list.h"

#include <new>

namespace {
// Non-reentrant: every GetText of any line writes here.
char lineTextBuffer[TextLine::kTextLimit + 1];
} // namespace

TextLine* TextLine::Create() {
    void* memory = qvr::AllocateRecord(sizeof(TextLine));
    if (memory == nullptr)
        return nullptr;
    return new (memory) TextLine();
}

void TextLine::Destroy(TextLine* line) {
    if (line == nullptr)
        return;
    line->~TextLine();
    ::operator delete(line);
}

int TextLine::SetText(LPCSTR newText) {
    if (newText == nullptr)
        return 0;
    text.Clear();
    text = newText;
    return 1;
}

LPCSTR TextLine::GetText() const {
    lineTextBuffer[0] = '\0';
    if (!text.IsEmpty())
        lstrcpynA(lineTextBuffer, text.GetString(), sizeof lineTextBuffer);
    return lineTextBuffer;
}
