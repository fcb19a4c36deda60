// Built only into sanitizer builds: allocations that system libraries loaded by Qt's X11
// platform keep until the process ends (D-Bus, fontconfig) are not leaks of ours.

extern "C" const char* __lsan_default_suppressions() {
    return "leak:libdbus-1.so\n"
           "leak:libfontconfig.so\n"
           "leak:libxcb\n"
           "leak:libX11.so\n";
}
