// Stands in for muffins.exe beside the launcher in the release test: writes what it was
// started with, its __COMPAT_LAYER and working directory, to probe.txt in that directory
// and ends with exit code 7, which the launcher should pass on.
#include <windows.h>

#include <cstdio>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    char layer[512] = "";
    char folder[MAX_PATH] = "";
    GetEnvironmentVariableA("__COMPAT_LAYER", layer, sizeof layer);
    GetCurrentDirectoryA(sizeof folder, folder);
    std::FILE* out = std::fopen("probe.txt", "w");
    if (!out) {
        return 3; // not the launcher's own 1
    }
    std::fprintf(out, "%s\n%s\n", layer, folder);
    std::fclose(out);
    return 7;
}
