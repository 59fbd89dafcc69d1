#include "applet_module.h"

// Provided by the linker for every image: its own load address.
extern "C" IMAGE_DOS_HEADER __ImageBase;

HINSTANCE AppletModule() {
    return reinterpret_cast<HINSTANCE>(&__ImageBase);
}
