#include "engine/platform/hosts/web/web_keys.h"

#include <cstdio>
#include <cstring>

namespace web {
namespace {

// "Key" + letter, "Digit" + digit, "Numpad" + digit: the character after the prefix when
// the code is exactly that, else 0.
char After(const char* code, const char* prefix, char low, char high) {
    size_t length = std::strlen(prefix);
    if (std::strncmp(code, prefix, length) != 0 || code[length] < low || code[length] > high ||
        code[length + 1] != '\0') {
        return 0;
    }
    return code[length];
}

} // namespace

int VirtualKey(const char* code) {
    if (!code) {
        return 0;
    }
    if (char letter = After(code, "Key", 'A', 'Z')) {
        return letter;
    }
    if (char digit = After(code, "Digit", '0', '9')) {
        return digit;
    }
    if (char digit = After(code, "Numpad", '0', '9')) {
        return VK_NUMPAD0 + (digit - '0');
    }
    if (code[0] == 'F' && code[1] >= '1' && code[1] <= '9') {
        int number = 0;
        char extra = 0;
        if (std::sscanf(code + 1, "%d%c", &number, &extra) == 1 && number >= 1 && number <= 12 &&
            (number < 10 ? code[2] == '\0' : code[3] == '\0')) {
            return VK_F1 + number - 1;
        }
        return 0;
    }
    static const struct {
        const char* code;
        int virtualKey;
    } KEYS[] = {
        {"Space", VK_SPACE},
        {"Enter", VK_RETURN},
        {"NumpadEnter", VK_RETURN},
        {"Backspace", VK_BACK},
        {"Tab", VK_TAB},
        {"Escape", VK_ESCAPE},
        {"ArrowLeft", VK_LEFT},
        {"ArrowUp", VK_UP},
        {"ArrowRight", VK_RIGHT},
        {"ArrowDown", VK_DOWN},
        {"ShiftLeft", VK_SHIFT},
        {"ShiftRight", VK_SHIFT},
        {"ControlLeft", VK_CONTROL},
        {"ControlRight", VK_CONTROL},
        {"AltLeft", VK_MENU},
        {"AltRight", VK_MENU},
        {"Pause", VK_PAUSE},
        {"PageUp", VK_PRIOR},
        {"PageDown", VK_NEXT},
        {"End", VK_END},
        {"Home", VK_HOME},
        {"Insert", VK_INSERT},
        {"Delete", VK_DELETE},
        {"CapsLock", VK_CAPITAL},
        {"Semicolon", VK_OEM_1},
        {"Equal", VK_OEM_PLUS},
        {"Comma", VK_OEM_COMMA},
        {"Minus", VK_OEM_MINUS},
        {"Period", VK_OEM_PERIOD},
        {"Slash", VK_OEM_2},
        {"Backquote", VK_OEM_3},
        {"BracketLeft", VK_OEM_4},
        {"Backslash", VK_OEM_5},
        {"BracketRight", VK_OEM_6},
        {"Quote", VK_OEM_7},
    };
    for (const auto& entry : KEYS) {
        if (std::strcmp(entry.code, code) == 0) {
            return entry.virtualKey;
        }
    }
    return 0;
}

bool BrowserKeeps(int virtualKey, bool control, bool meta) {
    return control || meta || virtualKey == VK_TAB ||
           (virtualKey >= VK_F1 && virtualKey <= VK_F1 + 11);
}

bool HeldKeys::Change(int virtualKey, bool down) {
    if (down) {
        held.insert(virtualKey);
        return true;
    }
    return held.erase(virtualKey) > 0;
}

std::vector<int> HeldKeys::ReleaseAll() {
    std::vector<int> released(held.begin(), held.end());
    held.clear();
    return released;
}

} // namespace web
