#pragma once

#include <windows.h>

// The applet's own module, whatever process loaded it: every resource (icon, strings, template,
// pictures) is looked up here, never in the host program.
HINSTANCE AppletModule();
