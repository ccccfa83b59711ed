// textfile/text_file.cpp: the do-nothing defaults of the text file object.
#include "textfile/text_file.h"

TextFile::~TextFile() = default; // the LineList member frees its array

int TextFile::Open(LPCSTR, LPCSTR, LPCSTR, LPCSTR, LPCSTR, DWORD) {
    return 1;
}
int TextFile::GetLineCount() {
    return 0;
}
int TextFile::AddLineTop(LPCSTR) {
    return 1;
}
int TextFile::AddLineTail(LPCSTR) {
    return 1;
}
int TextFile::InsertLine(LPCSTR, int) {
    return 1;
}
DWORD TextFile::GetLineFlags(int) {
    return 0;
}
int TextFile::SetLineFlags(int, DWORD) {
    return 1;
}
LPSTR TextFile::GetLineText(int, LPSTR, int) {
    return nullptr;
}
LPSTR TextFile::GetParsedLineText(int, LPSTR, int) {
    return nullptr;
}
int TextFile::SetLineText(int, LPCSTR) {
    return 1;
}
int TextFile::RemLine(int) {
    return 1;
}
int TextFile::DeleteLine(int) {
    return 1;
}
int TextFile::LineExists(int, LPCSTR, int) {
    return 0;
}
DWORD TextFile::GetSize() {
    return 0;
}
LPSTR TextFile::CreateOutput(DWORD*) {
    return nullptr;
}
int TextFile::AddPath(LPCSTR, LONG*) {
    return 1;
} // the result word is left alone
int TextFile::PathExists(LPCSTR) {
    return 1;
}
int TextFile::CheckPathLen() {
    return 1;
}
int TextFile::AddTopCommon() {
    return 1;
}
int TextFile::AddBottomCommon() {
    return 1;
}
int TextFile::IsCommonAddedTop() {
    return 1;
}
int TextFile::IsCommonAddedBottom() {
    return 1;
}
int TextFile::SetSection(LPCSTR) {
    return 0;
}
int TextFile::ClearSection() {
    return 1;
}
int TextFile::BeforeWin(LPCSTR) {
    return 1;
}
int TextFile::ParseText(LPCSTR, LPSTR, int) {
    return 1;
}
DWORD TextFile::ClassifyLine(LPCSTR) {
    return 0;
}
LineList* TextFile::CollectPathList() {
    return nullptr;
}

namespace qvr {

void FreePathList(LineList* list) {
    if (list == nullptr)
        return;
    for (int i = 0; i < list->GetCount(); ++i)
        ::operator delete(list->GetAt(i));
    list->~LineList();
    ::operator delete(list);
}

} // namespace qvr
