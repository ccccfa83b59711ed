// native/fuzz/fuzz_targets.cpp: the target table behind a record, driven by
// fuzzed operations: setting and reading targets (absolute and relative),
// relations, buffers grown and filled the way the installer fills them,
// name parsing and cloning into a second table. The entries belong to the
// installer, which frees them here at the end of each run.
#include "fuzz_support.h"
#include "script/target_table.h"

#include <cstring>
#include <string>

namespace {

struct Record {
    unsigned char bytes[qvr::kRecordTableOffset + sizeof(TargetTable*)] = {};
};

int SlotCount(const Record& record) {
    const TargetTable* table = qvr::GetRecordTable(record.bytes);
    return table != nullptr ? table->slotCount : 0;
}

// The bytes GetTarget writes for `index`: the base's text, a backslash and
// the entry's text.
size_t TargetBytes(const Record& record, int index) {
    const TargetTable* table = qvr::GetRecordTable(record.bytes);
    const TargetEntry* entry = qvr::GetEntry(table, index);
    if (entry == nullptr)
        return 1;
    size_t bytes = std::strlen(entry->text) + 2;
    if (qvr::RelationKind(entry->relation) == qvr::RELATIVE_TO_TARGET)
        if (const TargetEntry* base = qvr::GetEntry(table, qvr::RelationBase(entry->relation)))
            bytes += std::strlen(base->text);
    return bytes;
}

void FreeEntries(Record& record) {
    TargetTable* table = qvr::GetRecordTable(record.bytes);
    for (int i = 0; i < SlotCount(record); ++i) {
        if (TargetEntry* entry = qvr::GetEntry(table, i)) {
            HeapFree(GetProcessHeap(), 0, entry->text);
            HeapFree(GetProcessHeap(), 0, entry);
        }
    }
    qvr::DeleteTargetBuffers(record.bytes);
}

void Step(FuzzedDataProvider& in, Record* records) {
    Record& record = records[in.ConsumeIntegralInRange(0, 1)];
    int slots = SlotCount(record);
    int index = in.ConsumeIntegralInRange(-2, slots + 2);
    switch (in.ConsumeIntegralInRange(0, 7)) {
    case 0:
        FreeEntries(record);
        QVR_FUZZ_CHECK(qvr::InitTargetBuffers(record.bytes, in.ConsumeIntegralInRange(0u, 40u)) ==
                       1);
        break;
    case 1: {
        std::string value = in.ConsumeRandomLengthString(300);
        int stored = qvr::SetTarget(record.bytes, index, value.c_str(), in.ConsumeBool());
        QVR_FUZZ_CHECK(stored == 0 || stored == 1);
        QVR_FUZZ_CHECK(stored == 0 || (index >= 0 && index < slots));
        break;
    }
    case 2: {
        size_t bytes = TargetBytes(record, index);
        auto path = qvrfuzz::ExactBuffer(bytes);
        char* result = qvr::GetTarget(record.bytes, index, path.get());
        QVR_FUZZ_CHECK(result == nullptr || result == path.get());
        break;
    }
    case 3: {
        static const WORD kKinds[] = {qvr::TARGET_ABSOLUTE, qvr::RELATIVE_TO_TARGET,
                                      qvr::RELATIVE_TO_VARIABLE, 7};
        WORD kind = kKinds[in.ConsumeIntegralInRange(0, 3)];
        WORD base = in.ConsumeIntegralInRange<WORD>(0, static_cast<WORD>(slots + 2));
        DWORD relation = (DWORD{kind} << 16) | base;
        int set = qvr::SetRelativeTarget(record.bytes, index, relation);
        if (set == 1)
            QVR_FUZZ_CHECK(qvr::GetRelativeTarget(record.bytes, index) == relation);
        break;
    }
    case 4: {
        // The installer writes up to minLength characters into the buffer.
        int minLength = in.ConsumeIntegralInRange(-2, 700);
        char* buffer = qvr::GetTargetBuffer(record.bytes, index, minLength);
        QVR_FUZZ_CHECK(buffer == nullptr || (index >= 0 && index < slots));
        if (buffer != nullptr && minLength > 0) {
            std::string text = in.ConsumeRandomLengthString(static_cast<size_t>(minLength));
            std::memcpy(buffer, text.c_str(), text.size() + 1);
        }
        break;
    }
    case 5: {
        std::string name = in.ConsumeRandomLengthString(300);
        qvr::GetTargetIndex(name.c_str());
        break;
    }
    case 6:
        qvr::DeepCloneTargets(qvr::GetRecordTable(records[0].bytes),
                              qvr::GetRecordTable(records[1].bytes));
        break;
    case 7:
        qvr::GetRelativeTarget(record.bytes, index);
        break;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    qvrfuzz::ChooseCodePage(in);
    Record records[2];
    qvr::InitTargetBuffers(records[0].bytes, in.ConsumeIntegralInRange(0u, 30u));
    qvr::InitTargetBuffers(records[1].bytes, in.ConsumeIntegralInRange(0u, 30u));
    for (int i = 0; i < 48 && in.remaining_bytes() > 0; ++i)
        Step(in, records);
    FreeEntries(records[0]);
    FreeEntries(records[1]);
    qvrfuzz::DropMessageBoxes();
    return 0;
}
