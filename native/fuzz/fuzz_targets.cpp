// native/fuzz/fuzz_targets.cpp: the target tables of two records under
// fuzzed operations, with buffers filled the way the installer fills them.
// The entries are the installer's to free, which happens here at the end.
#include "fuzz_support.h"
#include "script/target_table.h"

namespace {

struct Record {
    unsigned char bytes[qvr::kRecordTableOffset + sizeof(TargetTable*)] = {};

    TargetTable* Table() const { return qvr::GetRecordTable(bytes); }
    int Slots() const { return Table() != nullptr ? Table()->slotCount : 0; }
    void FreeEntries() {
        for (int i = 0; i < Slots(); ++i) {
            if (TargetEntry* entry = qvr::GetEntry(Table(), i)) {
                HeapFree(GetProcessHeap(), 0, entry->text);
                HeapFree(GetProcessHeap(), 0, entry);
            }
        }
        qvr::DeleteTargetBuffers(bytes);
    }
};

// What GetTarget writes for `index`: the base's text, a backslash, the
// entry's text and a NUL.
size_t TargetBytes(const Record& record, int index) {
    const TargetEntry* entry = qvr::GetEntry(record.Table(), index);
    if (entry == nullptr)
        return 1;
    const TargetEntry* base =
        qvr::RelationKind(entry->relation) == qvr::RELATIVE_TO_TARGET
            ? qvr::GetEntry(record.Table(), qvr::RelationBase(entry->relation))
            : nullptr;
    return std::strlen(entry->text) + 2 + (base != nullptr ? std::strlen(base->text) : 0);
}

void Step(FuzzedDataProvider& in, Record* records) {
    Record& record = records[in.ConsumeBool()];
    int slots = record.Slots();
    int index = in.ConsumeIntegralInRange(-2, slots + 2);
    bool exists = index >= 0 && index < slots;
    switch (in.ConsumeIntegralInRange(0, 6)) {
    case 0:
        record.FreeEntries();
        QVR_FUZZ_CHECK(qvr::InitTargetBuffers(record.bytes, in.ConsumeIntegralInRange(0u, 40u)) ==
                       1);
        break;
    case 1: {
        std::string value = in.ConsumeRandomLengthString(300);
        int stored = qvr::SetTarget(record.bytes, index, value.c_str(), in.ConsumeBool());
        QVR_FUZZ_CHECK(stored == 0 || (stored == 1 && exists));
        break;
    }
    case 2: {
        auto path = qvrfuzz::ExactBuffer(TargetBytes(record, index));
        char* result = qvr::GetTarget(record.bytes, index, path.get());
        QVR_FUZZ_CHECK(result == nullptr || result == path.get());
        break;
    }
    case 3: {
        static const WORD kKinds[] = {qvr::TARGET_ABSOLUTE, qvr::RELATIVE_TO_TARGET,
                                      qvr::RELATIVE_TO_VARIABLE, 7};
        DWORD relation = DWORD{kKinds[in.ConsumeIntegralInRange(0, 3)]} << 16 |
                         in.ConsumeIntegralInRange<WORD>(0, static_cast<WORD>(slots + 2));
        if (qvr::SetRelativeTarget(record.bytes, index, relation) == 1)
            QVR_FUZZ_CHECK(qvr::GetRelativeTarget(record.bytes, index) == relation);
        else
            qvr::GetRelativeTarget(record.bytes, index);
        break;
    }
    case 4: {
        // The installer writes up to minLength characters into the buffer.
        int minLength = in.ConsumeIntegralInRange(-2, 700);
        char* buffer = qvr::GetTargetBuffer(record.bytes, index, minLength);
        QVR_FUZZ_CHECK(buffer == nullptr || exists);
        if (buffer != nullptr && minLength > 0) {
            std::string text = in.ConsumeRandomLengthString(static_cast<size_t>(minLength));
            std::memcpy(buffer, text.c_str(), text.size() + 1);
        }
        break;
    }
    case 5:
        qvr::GetTargetIndex(in.ConsumeRandomLengthString(300).c_str());
        break;
    case 6:
        qvr::DeepCloneTargets(records[0].Table(), records[1].Table());
        break;
    }
}

} // namespace

void qvrfuzz::FuzzOne(FuzzedDataProvider& in) {
    Record records[2];
    for (Record& record : records)
        qvr::InitTargetBuffers(record.bytes, in.ConsumeIntegralInRange(0u, 30u));
    for (int i = 0; i < 48 && in.remaining_bytes() > 0; ++i)
        Step(in, records);
    for (Record& record : records)
        record.FreeEntries();
}
