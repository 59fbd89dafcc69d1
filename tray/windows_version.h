#pragma once

#include "windows_version_code.h"

// The version code of the running Windows (see windows_version_code.h), computed afresh on every
// call; kVersionUnclassified when the platform refuses to tell its version.
int GetWindowsVersionCode();
