// The one place that decides which Win32, DirectDraw and DirectSound the engine talks
// to: the real SDK on Windows, our own subset everywhere else. No other file of the
// engine or the game tests the platform.
#ifndef TOLVO_ENGINE_PLATFORM_PLATFORM_H
#define TOLVO_ENGINE_PLATFORM_PLATFORM_H

#ifdef _WIN32
#include <windows.h>
#include <ddraw.h>
#include <dsound.h>
#else
#include "engine/platform/subset/sdk/windows.h"
#include "engine/platform/subset/sdk/ddraw.h"
#include "engine/platform/subset/sdk/dsound.h"
#endif

#endif
