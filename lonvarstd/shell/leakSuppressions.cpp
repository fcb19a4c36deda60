// Built only into sanitizer builds: allocations that system libraries keep until the
// process ends (the X11 and font libraries Qt loads, D-Bus, the office's UNO runtime)
// are not leaks of ours.

extern "C" const char* __lsan_default_suppressions() {
    return "leak:libdbus-1.so\n"
           "leak:libfontconfig.so\n"
           "leak:libxcb\n"
           "leak:libX11.so\n"
           "leak:libuno_cppu.so\n"
           "leak:libuno_sal.so\n"
           "leak:libbinaryurplo.so\n";
}
