// support/exports.cpp
#include "support/exports.h"

#include "support/dll.h"

namespace qvrtest {

namespace {

struct Lookup {
    DllExports exports;
    std::vector<std::string> missing;

    template <class F> void Resolve(F& slot, const char* exported) {
        slot = Export<F>(exported);
        if (slot == nullptr)
            missing.push_back(exported);
    }

    Lookup() {
#define QVR_EXPORT_RESOLVE(name, bytes, exported) Resolve(exports.name, exported);
        QVR_EXPORTS(QVR_EXPORT_RESOLVE)
#undef QVR_EXPORT_RESOLVE
    }
};

const Lookup& TheLookup() {
    static const Lookup lookup;
    return lookup;
}

} // namespace

const DllExports& Exports() {
    return TheLookup().exports;
}

std::vector<std::string> MissingExports() {
    return TheLookup().missing;
}

} // namespace qvrtest
