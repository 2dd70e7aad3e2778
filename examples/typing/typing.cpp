// Text and typed input: the key array and the character buffer.
//
// The engine keeps two views of the keyboard. IsKeyDown(VK) reads the key array: whether
// a key is held now, by virtual-key code, right for movement. GetKey() takes typed
// characters from a buffer the window procedure fills from WM_CHAR: letters with their
// case, digits, space, Enter (13) and Backspace (8), right for typing. The buffer is a
// stack (last typed, first out), so a frame takes all it holds and puts them back in
// order. DrawText writes text in the colour SetColor chose.
// Type a few lines; the rows below light the keys held. Escape quits.
#include <tolvo/tolvo.h>

#include <cstdio>
#include <cstring>

namespace {

const int32_t WIDTH = 640;
const int32_t HEIGHT = 400;
const int32_t LINES = 8;
const int32_t LINE_ROOM = 48;
const int32_t LINE_HEIGHT = 18;
const int32_t CHAR_WIDTH = 12; // the built-in font's advance (Windows' own font differs)

char lines[LINES][LINE_ROOM + 1];
int32_t current = 0; // the line being typed
int32_t frame = 0;

void Type(uint8_t character) {
    char* line = lines[current];
    size_t length = std::strlen(line);
    if (character == 8) {
        if (length > 0)
            line[length - 1] = '\0';
    } else if (character == 13) {
        if (current == LINES - 1) {
            // Full: every line moves up one.
            std::memmove(lines[0], lines[1], sizeof lines - sizeof lines[0]);
            lines[current][0] = '\0';
        } else {
            ++current;
        }
    } else if (character >= 32 && character < 127 && length < size_t(LINE_ROOM)) {
        line[length] = char(character);
        line[length + 1] = '\0';
    }
}

// The characters typed since the last frame, oldest first.
void TakeTyped() {
    uint8_t typed[64];
    int32_t count = 0;
    while (count < int32_t(sizeof typed)) {
        uint8_t character = Tolvo.GetKey();
        if (character == 0)
            break;
        typed[count++] = character;
    }
    while (count > 0)
        Type(typed[--count]);
}

// One row of keys, each lit while it is held.
struct Key {
    int32_t code;
    const char* label;
};
const Key ARROWS[] = {{VK_LEFT, "Left"},   {VK_RIGHT, "Right"},   {VK_UP, "Up"},
                      {VK_DOWN, "Down"},   {VK_SPACE, "Space"},   {VK_RETURN, "Enter"},
                      {VK_SHIFT, "Shift"}, {VK_BACK, "Backspace"}};

void DrawKey(int32_t x, int32_t y, const char* label, bool held) {
    if (held)
        Tolvo.SetColor(255, 230, 60);
    else
        Tolvo.SetColor(90, 90, 110);
    Tolvo.DrawText(x, y, label);
}

void DrawKeys() {
    char label[2] = {0, 0};
    for (int32_t i = 0; i < 26; ++i) {
        label[0] = char('A' + i);
        DrawKey(20 + i * 2 * CHAR_WIDTH, 300, label, Tolvo.IsKeyDown('A' + i));
    }
    for (int32_t i = 0; i < 10; ++i) {
        label[0] = char('0' + i);
        DrawKey(20 + i * 2 * CHAR_WIDTH, 320, label, Tolvo.IsKeyDown('0' + i));
    }
    int32_t x = 20;
    for (const Key& key : ARROWS) {
        DrawKey(x, 340, key.label, Tolvo.IsKeyDown(key.code));
        x += (int32_t(std::strlen(key.label)) + 1) * CHAR_WIDTH;
    }
}

} // namespace

void initialize() {
    Tolvo.Initialize(false, WIDTH, HEIGHT);
}

int run() {
    ++frame;
    TakeTyped();
    if (Tolvo.LockBuffer()) {
        Tolvo.ClearBuffer();
        Tolvo.UnlockBuffer();
    }
    Tolvo.SetColor(160, 200, 255);
    Tolvo.DrawText(20, 16, "Type: Enter starts a line, Backspace rubs out");
    Tolvo.SetColor(255, 255, 255);
    for (int32_t i = 0; i < LINES; ++i)
        Tolvo.DrawText(20, 50 + i * LINE_HEIGHT, lines[i]);
    // A blinking cursor after the line being typed.
    if (frame / 20 % 2 == 0) {
        int32_t x = 20 + int32_t(std::strlen(lines[current])) * CHAR_WIDTH;
        Tolvo.DrawText(x, 50 + current * LINE_HEIGHT, "_");
    }
    Tolvo.SetColor(160, 200, 255);
    Tolvo.DrawText(20, 280, "Keys held now (IsKeyDown):");
    DrawKeys();
    Tolvo.ViewUpdate();
    return 0;
}
