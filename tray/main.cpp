#include <windows.h>

#include "tray_app.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE /*previous*/, LPSTR /*commandLine*/,
                   int /*showCommand*/) {
    TevraTrayApp app;
    if (!app.InitInstance(instance)) return 0;
    return app.Run();
}
