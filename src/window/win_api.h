#pragma once
// The window code is written against the Win32 API, ANSI functions only.
// Windows builds get the real system headers; every other build gets our own
// subset, which declares the same names with the same types and values.
#if defined(_WIN32)
#include <windows.h>
#else
#include "win32_subset.h"
#endif
