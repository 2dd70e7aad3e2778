// user32's MessageBoxA, on its own: the engine's file readers show boxes, and a tool
// that uses only them needs nothing else of the subset.
#include "engine/platform/subset/test_controls/calls.h"
#include "engine/platform/subset/seam/host.h"

#include <cstdio>
#include <string>

using namespace subset;

int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
    if (CallFails("MessageBoxA")) {
        return 0;
    }
    std::string body = text ? text : "";
    std::string title = caption ? caption : "Error"; // Windows' title for a NULL caption
    std::fprintf(stderr, "[message box] %s: %s\n", title.c_str(), body.c_str());
    std::fflush(stderr);
    CurrentHost().ShowMessageBox(owner, body, title, type);
    return IDOK;
}
