// util/fault_injection.h: test hooks that make an allocation fail on
// purpose. Each allocation site asks ShouldFail for its kind of fault before
// it allocates; a test arms a fault with FailAfter. Unarmed (the default),
// ShouldFail is false and costs one comparison.
#pragma once

namespace qvr {

enum class Fault {
    MovableBlock, // every movable global block the library makes
    HeapRecord,   // the heap arrays and records of the text file classes
    ValueCopy,    // the block of a registry value handed to the caller
    Count
};

// The next `successes` checks of `fault` pass, the one after that fails
// (leaving ERROR_NOT_ENOUGH_MEMORY) and disarms it; -1 disarms it at once.
void FailAfter(Fault fault, int successes);
bool ShouldFail(Fault fault);

} // namespace qvr
