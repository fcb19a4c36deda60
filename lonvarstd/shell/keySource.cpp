#include "shell/keySource.h"

const char* KeySourceName(int source) {
    switch (source) {
        case KeyFromCommandLine:
            return "command line";
        case KeyFromPortal:
            return "portal";
        default:
            return "keyboard hook";
    }
}
