// keep_modules.cpp - linked into every test program of the sanitizer build.
//
// LeakSanitizer looks for leaks when the process ends and names each stack frame by the library
// it lies in. A library that was unloaded before then (Mesa's vendor and driver libraries are
// loaded and unloaded by the GL dispatch layers) leaves its frames nameless, so what it keeps can
// be neither told apart from our own leaks nor suppressed by name. This dlclose, which the
// program exports in place of the C library's, leaves every library loaded to the end; the
// reference it would have dropped costs nothing in a test process.
extern "C" __attribute__((visibility("default"))) int dlclose(void *)
{
    return 0;
}
