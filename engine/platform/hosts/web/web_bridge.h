// The C++ side of the bridge to the browser: the JavaScript of web_bridge.js and web_audio.js,
// linked into the program. The functions marked as yielding return to the browser and come back
// later (Asyncify), so the page stays alive while the engine's loop runs.
#ifndef TOLVO_ENGINE_PLATFORM_HOSTS_WEB_WEB_BRIDGE_H
#define TOLVO_ENGINE_PLATFORM_HOSTS_WEB_WEB_BRIDGE_H

#include <cstdint>

extern "C" {

// Whether the page has a canvas for the game (Module.canvas).
int tolvo_web_has_canvas();
// The main window is shown with this client size, or taken away (width 0).
void tolvo_web_window(int width, int height);
// What the canvas takes (starting WebGL, or the 2D canvas, on the first call): 5-6-5 rows
// wherever they lie (WebGL 2), 5-6-5 rows one after the other (WebGL), rows of RGBA one
// after the other (2D), or nothing (a canvas without either).
enum { TOLVO_WEB_NONE = 0, TOLVO_WEB_ROWS_565 = 1, TOLVO_WEB_PACKED_565 = 2, TOLVO_WEB_RGBA = 3 };
int tolvo_web_renderer();
// Shows a frame of width x height pixels as tolvo_web_renderer() takes them, `stride`
// pixels from one row to the next.
void tolvo_web_present(const void* pixels, int width, int height, int stride, int number);
// Yields: returns at the first display frame due at or after `milliseconds` from now.
void tolvo_web_sleep(int milliseconds);
// Yields: returns as soon as the browser has handled what was waiting.
void tolvo_web_yield();
// Yields: shows the page's modal dialog and returns when the user has dismissed it.
void tolvo_web_message_box(const char* text, const char* caption);
// The page's full screen on or off, as its button does; called while the browser handles
// the key that asked for it, which is what lets a page go full screen.
void tolvo_web_full_screen();
// Whether the page has the user's attention now (document.hasFocus()).
int tolvo_web_has_focus();

// web_audio.js. Opens Web Audio for 16-bit samples at this rate; 0 where the browser has
// none. Until the player's first click or key press the page may not play, and the
// samples are dropped as they fall due.
int tolvo_web_audio_open(int samplesPerSecond, int channels);
// Sample frames that top the output's ring up to its target now.
int tolvo_web_audio_wanted();
// Those frames, channels interleaved, to play after the ones queued before.
void tolvo_web_audio_queue(const int16_t* samples, int frames);
void tolvo_web_audio_close();
}

#endif
