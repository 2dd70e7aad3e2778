// Tolvo, the whole of it a game needs, in one include: #include <tolvo/tolvo.h>
//
// A game on Tolvo defines two functions, initialize() (once, before the loop: start the
// engine with Tolvo.Initialize and load pictures and sounds) and run() (once per frame:
// read input, draw into the locked back buffer, present with Tolvo.ViewUpdate), and the
// engine owns the program's entry and its loop. The API is the engine's own:
//
//   WindowsDX (the global Tolvo)  start-up, drawing, presentation, keyboard and mouse
//   Image, Tiff, PixelFormat      pictures in memory, TIF files, the display's pixel layout
//   Sound, SoundSystem            WAV sounds through DirectSound
//   File, DebugLog                files by the engine's flag rules, and debug.txt
//   TraceFile                     a line of the game's state per frame (TOLVO_TRACE)
//   VK_*                          key codes, as Windows numbers them
//   TolvoVersion()                the version of the engine linked in
#ifndef TOLVO_TOLVO_H
#define TOLVO_TOLVO_H

#include <tolvo/version.h>

#include "engine/platform/platform.h"
#include "engine/display/windows_dx.h"
#include "engine/image/image.h"
#include "engine/image/pixel_format.h"
#include "engine/image/tiff.h"
#include "engine/file/debug_log.h"
#include "engine/file/file.h"
#include "engine/file/init_order.h"
#include "engine/file/trace_file.h"
#include "engine/sound/sound.h"
#include "engine/sound/sound_system.h"

// The version of the engine the program is linked with, as TOLVO_VERSION numbers it; a
// game built against one version and linked with another can tell.
int TolvoVersion();

#endif
