// textfile/work_buffers.cpp
#include "textfile/work_buffers.h"

namespace qvr {

char lineWorkBuffer[kWorkBufferSize];
char classifyBuffer[kWorkBufferSize];
char patternBuffer[kWorkBufferSize];
char searchLineBuffer[kWorkBufferSize];
char parseWorkBuffer[kWorkBufferSize];
char pathLineBuffer[kWorkBufferSize];
char pathParsedBuffer[kWorkBufferSize];
char sectionSearchBuffer[kWorkBufferSize];

} // namespace qvr
