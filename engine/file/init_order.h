// Construction order of the program's global objects.
//
// The debug log must be constructed after every other global (so that it is
// destroyed first, closing "debug.txt" before anything else goes away), and
// the engine object before the game's objects. Globals live in several
// translation units, whose order C++ leaves open, so each one states its place
// explicitly. Lower numbers are constructed first.
#ifndef TOLVO_ENGINE_FILE_INIT_ORDER_H
#define TOLVO_ENGINE_FILE_INIT_ORDER_H

#define TOLVO_ORDER_ENGINE 1000       // WindowsDX Tolvo
#define TOLVO_ORDER_HERO 1010         // the game's Hero
#define TOLVO_ORDER_INTRO 1020        // the game's Intro
#define TOLVO_ORDER_MUFFIN_TRACK 1030 // the game's MuffinTrack
#define TOLVO_ORDER_PAGES 1040        // the game's five page Images
#define TOLVO_ORDER_DEBUG_LOG 1100    // DebugLog: always last

#if defined(__GNUC__) || defined(__clang__)
// Gives a global its place n in the construction order: `Image page TOLVO_INIT_ORDER(1040);`
#define TOLVO_INIT_ORDER(n) __attribute__((init_priority(n)))
#else
#define TOLVO_INIT_ORDER(n)
#endif

#endif
