// What the page does for the web host: the JavaScript of web_library.js, linked into the
// program. The functions marked as yielding return to the browser and come back later
// (Asyncify), so the page stays alive while the engine's loop runs.
#ifndef TOLVO_ENGINE_PLATFORM_HOSTS_WEB_WEB_PAGE_H
#define TOLVO_ENGINE_PLATFORM_HOSTS_WEB_WEB_PAGE_H

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
}

#endif
