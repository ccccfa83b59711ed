// script/tokenizer.cpp: the parser is a four-state machine, one small
// function per state. Only space, tab, LF, CR, '"', ';' and '[' mean
// anything; every other byte (NUL and 0x1A included) is content.
#include "script/tokenizer.h"

namespace qvr {

namespace {

enum State {
    kNormal,    // inside a line, outside quotes and comments
    kQuoted,    // inside a double-quoted stretch: blanks and ';' are content
    kComment,   // after an unquoted ';' up to the line feed
    kLineStart, // after a line feed: blanks and empty lines are skipped
    kStateCount
};

struct Machine {
    ImageSink& sink;
    State state;
    bool ok;

    void Store(unsigned char c) {
        if (ok && !sink.Put(c))
            ok = false;
    }
    // A line feed ends the line: one NUL, unless the image is empty or
    // already ends with a NUL (empty line, or a NUL byte in the text).
    void EndLine() {
        if (sink.Size() != 0 && sink.LastByte() != '\0')
            Store('\0');
        state = kLineStart;
    }
};

bool IsBlank(unsigned char c) { return c == ' ' || c == '\t'; }

void OnNormal(Machine& m, unsigned char c) {
    switch (c) {
    case ' ':
    case '\t':
    case '\r':
        break;
    case '\n':
        m.EndLine();
        break;
    case '"':
        m.Store(c);
        m.state = kQuoted;
        break;
    case ';':
        m.state = kComment;
        break;
    default:
        m.Store(c);
        break;
    }
}

void OnQuoted(Machine& m, unsigned char c) {
    switch (c) {
    case '\r':
        break;
    case '\n':
        m.EndLine(); // the end of the line closes an open quote
        break;
    case '"':
        m.Store(c);
        m.state = kNormal;
        break;
    default:
        m.Store(c); // blanks and semicolons included
        break;
    }
}

void OnComment(Machine& m, unsigned char c) {
    if (c == '\n')
        m.EndLine();
}

void OnLineStart(Machine& m, unsigned char c) {
    if (IsBlank(c) || c == '\n' || c == '\r')
        return;
    // A section header gets an extra NUL before it, so that two NULs mark
    // the end of the previous section's lines.
    if (c == '[' && m.sink.Size() != 0)
        m.Store('\0');
    m.state = kNormal;
    OnNormal(m, c);
}

using StateFunction = void (*)(Machine&, unsigned char);
const StateFunction stateFunctions[kStateCount] = {OnNormal, OnQuoted, OnComment, OnLineStart};

} // namespace

bool Tokenize(const unsigned char* text, size_t length, ImageSink& sink) {
    // The first line is not "at line start": blanks and empty lines at the
    // top are dropped by the normal rules, and a header there gets no NUL.
    Machine m{sink, kNormal, true};
    for (size_t i = 0; i < length && m.ok; ++i)
        stateFunctions[m.state](m, text[i]);
    return m.ok;
}

bool AppendImageEnd(ImageSink& sink) {
    return sink.Put('\0') && sink.Put('\0') && sink.Put(kImageEndMarker);
}

} // namespace qvr
