// script/tokenizer.h: turns script and disks.inf text into the parsed image
// body: blanks outside quotes, comments, carriage returns and empty lines
// dropped; each stored line followed by NUL; one extra NUL before every
// section header that is not the first byte. Pure logic: no files, no
// memory blocks of its own (the caller's sink stores the bytes). Only space,
// tab, LF, CR, '"', ';' and '[' mean anything; every other byte (NUL and 0x1A
// included) is content.
#pragma once

#include <cstddef>

namespace qvr {

// Space, tab, CR, LF, '"' and ';': the bytes that do something inside a
// line ('[' matters only at a line start).
constexpr bool IsTokenizerSpecial(unsigned char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '"' || c == ';';
}

// Runs the tokenizer over `length` bytes into `sink`, which stores the
// bytes: Put(c) stores one (false when it cannot: the tokenizer stops and
// returns false), Size() and LastByte() tell what was stored so far. The
// NUL NUL 0x1A end is not appended (see AppendImageEnd). The sink's calls
// are resolved at compile time and inlined: a call per input byte would cost
// more than the work itself.
//
// States: inside a line (outside quotes and comments), inside a quoted
// stretch (blanks and ';' are content), inside a comment up to the line
// feed, and at a line start after a line feed (blanks and empty lines are
// skipped). The first line is not "at line start": blanks and empty lines
// at the top are dropped by the normal rules, and a header there gets no
// extra NUL.
template <class Sink> bool TokenizeInto(const unsigned char* text, size_t length, Sink& sink) {
    enum { kNormal, kQuoted, kComment, kLineStart } state = kNormal;
    for (size_t i = 0; i < length; ++i) {
        unsigned char c = text[i];
        // Most bytes are ordinary ones inside a line: stored, state unchanged.
        // Testing for them first keeps the loop short whatever way the
        // compiler lays out the switch below.
        if (state == kNormal && !IsTokenizerSpecial(c)) {
            if (!sink.Put(c))
                return false;
            continue;
        }
        if (state == kLineStart) {
            if (c == ' ' || c == '\t' || c == '\n' || c == '\r')
                continue;
            // A section header gets an extra NUL before it, so that two
            // NULs mark the end of the previous section's lines.
            if (c == '[' && sink.Size() != 0 && !sink.Put('\0'))
                return false;
            state = kNormal;
        }
        bool store;
        switch (c) {
        case ' ':
        case '\t':
            store = state == kQuoted;
            break;
        case '\r':
            store = false;
            break;
        case '\n':
            // One NUL ends the line, unless the image is empty or already
            // ends with a NUL (empty line, or a NUL byte in the text); the
            // end of the line also closes an open quote.
            state = kLineStart;
            store = false;
            if (sink.Size() != 0 && sink.LastByte() != '\0' && !sink.Put('\0'))
                return false;
            break;
        case '"':
            store = state != kComment;
            if (store)
                state = state == kQuoted ? kNormal : kQuoted;
            break;
        case ';':
            store = state == kQuoted;
            if (state == kNormal)
                state = kComment;
            break;
        default:
            store = state != kComment;
            break;
        }
        if (store && !sink.Put(c))
            return false;
    }
    return true;
}

constexpr unsigned char kImageEndMarker = 0x1A;

// Appends NUL, NUL and the end marker 0x1A.
template <class Sink> bool AppendImageEnd(Sink& sink) {
    return sink.Put('\0') && sink.Put('\0') && sink.Put(kImageEndMarker);
}

} // namespace qvr
