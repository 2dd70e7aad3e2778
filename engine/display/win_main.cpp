// The process entry and the only loop: one message or one frame per pass.
#include "engine/display/windows_dx.h"

#include "engine/platform/requested_files.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand) {
    Tolvo.SetInstance(instance, showCommand);
    initialize();
    if (Tolvo.status != READY) {
        // run is never called after a start-up that did not complete.
        Tolvo.ShowStartupError();
        return -1;
    }
    MSG message;
    for (;;) {
        if (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT)
                break;
            TranslateMessage(&message);
            DispatchMessageA(&message);
        } else {
            run();
        }
    }
    Tolvo.CleanUp();
    // A file the user asked for (a trace, a recording) that could not be written turns
    // a good end into EXIT_NOT_WRITTEN.
    return ExitCodeAfterWrites(int(message.wParam));
}
