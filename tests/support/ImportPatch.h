#pragma once
// Redirects this program's own calls of a system function, through its import table, to a function of the
// test's. Calls that other modules make (the system's DLLs) are not affected.

#include <windows.h>

namespace quarntest {

// Points the import slot of `function` of `module` at `replacement` and returns the address it held, or
// NULL when this program does not import that function (nothing changes then).
void* PatchImport(const char* module, const char* function, void* replacement);

// The same, typed: `original` receives the previous address; false when the function is not imported.
template <class Proc>
bool PatchImport(const char* module, const char* function, Proc replacement, Proc& original)
{
    void* const previous = PatchImport(module, function, reinterpret_cast<void*>(replacement));
    if (!previous)
        return false;
    original = reinterpret_cast<Proc>(previous);
    return true;
}

}  // namespace quarntest
