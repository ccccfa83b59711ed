// library.cpp: loading qvrdll32.dll and resolving its exports by name.
#include "library.h"

namespace host {

namespace {

template <class F> void Resolve(Library& library, F& slot, const char* exported) {
    FARPROC found = GetProcAddress(library.module, exported);
    slot = reinterpret_cast<F>(reinterpret_cast<void*>(found));
    if (found == nullptr)
        library.missing.push_back(exported);
}

} // namespace

bool Library::Load(const std::string& path) {
    module = LoadLibraryA(path.c_str());
    if (module == nullptr)
        return false;
#define QVR_EXPORT_RESOLVE(name, bytes, exported) Resolve(*this, name, exported);
    QVR_EXPORTS(QVR_EXPORT_RESOLVE)
#undef QVR_EXPORT_RESOLVE
    return missing.empty();
}

} // namespace host
