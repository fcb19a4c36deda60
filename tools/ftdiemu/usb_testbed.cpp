#include "usb_testbed.h"

#include <dlfcn.h>
#include <stdlib.h>
#include <umockdev.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <vector>

namespace tavrix::ftdiemu {

Testbed& Testbed::instance() {
    static Testbed bed;
    return bed;
}

Testbed::Testbed() : testbed_(umockdev_testbed_new()) {}

std::string Testbed::rootDir() const {
    gchar* dir = umockdev_testbed_get_root_dir(testbed_);
    std::string out = dir ? dir : "";
    g_free(dir);
    return out;
}

std::string preloadList() {
    std::string list;
    for (const char* probe : {"__asan_init", "__tsan_init"}) {
        Dl_info info{};
        void* sym = dlsym(RTLD_DEFAULT, probe);
        if (sym && dladdr(sym, &info) && info.dli_fname &&
            std::string(info.dli_fname).find(".so") != std::string::npos)
            list += std::string(info.dli_fname) + ":";
    }
    return list + "libumockdev-preload.so.0";
}

bool preloaded() {
    const char* list = getenv("LD_PRELOAD");
    return list && std::strstr(list, "libumockdev-preload") != nullptr;
}

void reexecPreloaded() {
    if (preloaded() || getenv("TAVRIX_FTDIEMU_REEXEC")) return;
    std::ifstream in("/proc/self/cmdline", std::ios::binary);
    std::vector<std::string> args;
    for (std::string a; std::getline(in, a, '\0');) args.push_back(a);
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    setenv("TAVRIX_FTDIEMU_REEXEC", "1", 1);
    setenv("LD_PRELOAD", preloadList().c_str(), 1);
    execv("/proc/self/exe", argv.data());
    std::perror("restart with the umockdev preload library");
}

}  // namespace tavrix::ftdiemu
