// script/tokenizer.cpp: the tokenizer's state machine lives in the header
// (TokenizeInto), so that the loader's sink is inlined into it; this is the
// entry point for sinks behind the ImageSink interface. Only space, tab, LF,
// CR, '"', ';' and '[' mean anything; every other byte (NUL and 0x1A
// included) is content.
#include "script/tokenizer.h"

namespace qvr {

bool Tokenize(const unsigned char* text, size_t length, ImageSink& sink) {
    return TokenizeInto(text, length, sink);
}

bool AppendImageEnd(ImageSink& sink) {
    return sink.Put('\0') && sink.Put('\0') && sink.Put(kImageEndMarker);
}

} // namespace qvr
