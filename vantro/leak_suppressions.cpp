// Built only into sanitizer builds: allocations that system libraries loaded by Qt's X11
// and Wayland platforms keep until the process ends (D-Bus, fontconfig, Qt's Wayland
// client objects, the UB sanitizer's own bookkeeping) are not leaks of ours.

extern "C" const char* __lsan_default_suppressions() {
    return "leak:libdbus-1.so\n"
           "leak:libfontconfig.so\n"
           "leak:libxcb\n"
           "leak:libX11.so\n"
           "leak:libQt6WaylandClient.so\n"
           "leak:libwayland-client.so\n"
           "leak:libubsan.so\n";
}
