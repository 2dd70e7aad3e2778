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
// Shows a frame of width x height 5-6-5 pixels, rows one after the other.
void tolvo_web_present(const uint16_t* pixels, int width, int height, int number);
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
