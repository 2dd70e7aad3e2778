// "Muffin Meltdown.exe", the program a player double-clicks: starts muffins.exe from its
// own folder with Windows' compatibility layer "Reduced color mode: 16-bit (65536)
// color" (16BITCOLOR). The engine refuses a desktop that is not 16 bits per pixel, and
// Windows 8 and later run every desktop at 32; under the layer Windows gives the game
// the 16-bit desktop it asks for. The layer goes to the game alone, through the
// __COMPAT_LAYER variable of its environment, so nothing is changed on the machine.
// The launcher waits for the game and ends with its exit code.
#include <windows.h>

#include <string>

namespace {

// The game it starts and the title of its messages; tolvo_add_game sets both for a game.
#ifndef TOLVO_LAUNCHER_GAME
#define TOLVO_LAUNCHER_GAME L"muffins.exe"
#endif
#ifndef TOLVO_LAUNCHER_TITLE
#define TOLVO_LAUNCHER_TITLE L"Muffin Meltdown"
#endif

const wchar_t* const GAME_FILE = TOLVO_LAUNCHER_GAME;
const wchar_t* const LAYER_VARIABLE = L"__COMPAT_LAYER";
const wchar_t* const LAYER = L"16BITCOLOR";
const wchar_t* const TITLE = TOLVO_LAUNCHER_TITLE;

// This launcher's folder with its trailing backslash; empty if Windows cannot say.
std::wstring OwnFolder() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        DWORD length = GetModuleFileNameW(nullptr, &path[0], static_cast<DWORD>(path.size()));
        if (length == 0) {
            return std::wstring();
        }
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        path.resize(path.size() * 2); // a long path: truncated, so ask again with more room
    }
    size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash + 1);
}

std::wstring Variable(const wchar_t* name) {
    DWORD room = GetEnvironmentVariableW(name, nullptr, 0);
    if (room == 0) {
        return std::wstring();
    }
    std::wstring value(room, L'\0');
    DWORD length = GetEnvironmentVariableW(name, &value[0], room);
    value.resize(length < room ? length : 0);
    return value;
}

bool SameLayer(const std::wstring& a, const wchar_t* b) {
    return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b, -1, TRUE) == CSTR_EQUAL;
}

// The layers a user already asked for (names separated by spaces, in any case), with
// the 16-bit colour layer added when it is not among them.
std::wstring WithLayer(const std::wstring& layers) {
    size_t start = 0;
    while (start < layers.size()) {
        size_t end = layers.find(L' ', start);
        if (end == std::wstring::npos) {
            end = layers.size();
        }
        if (SameLayer(layers.substr(start, end - start), LAYER)) {
            return layers;
        }
        start = end + 1;
    }
    return layers.empty() ? std::wstring(LAYER) : layers + L" " + LAYER;
}

void Complain(const std::wstring& game, DWORD error) {
    wchar_t* reason = nullptr;
    FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                       FORMAT_MESSAGE_IGNORE_INSERTS,
                   nullptr, error, 0, reinterpret_cast<wchar_t*>(&reason), 0, nullptr);
    std::wstring text = L"The game could not be started:\n" + game + L"\n\n" +
                        (reason ? reason : L"") +
                        L"\nKeep " TOLVO_LAUNCHER_GAME L", the Images and Sounds folders and this "
                        L"program together in one folder.";
    if (reason) {
        LocalFree(reason);
    }
    MessageBoxW(nullptr, text.c_str(), TITLE, MB_OK | MB_ICONERROR);
}

} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int showCommand) {
    const std::wstring folder = OwnFolder();
    const std::wstring game = folder + GAME_FILE;
    // Set in this process and inherited by the game, the only process it starts.
    SetEnvironmentVariableW(LAYER_VARIABLE, WithLayer(Variable(LAYER_VARIABLE)).c_str());

    std::wstring commandLine = L"\"" + game + L"\"";
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = static_cast<WORD>(showCommand);
    PROCESS_INFORMATION process = {};
    // The game's working directory is its own folder, as when Explorer starts it: it
    // reads Images\ and Sounds\ and writes debug.txt there.
    if (!CreateProcessW(game.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                        folder.empty() ? nullptr : folder.c_str(), &startup, &process)) {
        Complain(game, GetLastError());
        return 1;
    }
    CloseHandle(process.hThread);
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = 1;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hProcess);
    return static_cast<int>(code);
}
