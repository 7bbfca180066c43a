// Linked into parcelo-page and the tracking page tests when they are built with AddressSanitizer, and
// only there: the web engine's own faults are not the program's, and this keeps
// them from failing the test while every other report still does.

// The web engine inside Qt WebEngine frees some of its own objects with a sized
// delete whose size is not the allocated one. AddressSanitizer reports that as
// new-delete-type-mismatch and aborts, though none of the program's code is on
// the stack. Suppressions cannot name that report, so this process starts with
// the check off; ASAN_OPTIONS from the environment still applies on top.
extern "C" const char* __asan_default_options() { // NOLINT(bugprone-reserved-identifier): ASan's hook
    return "new_delete_type_mismatch=0";
}

// Allocations the web engine keeps to the end of the process (its threads and
// caches), and one fontconfig makes while the engine picks fonts, are reported as
// leaks at exit. Only stacks through those two libraries are left out.
extern "C" const char* __lsan_default_suppressions() { // NOLINT(bugprone-reserved-identifier): LSan's hook
    return "leak:libQt6WebEngineCore.so\n"
           "leak:libfontconfig.so\n";
}
