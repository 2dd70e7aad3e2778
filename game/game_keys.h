// Virtual-key codes of the keys the game reads through IsKeyDown.
#ifndef TOLVO_GAME_GAME_KEYS_H
#define TOLVO_GAME_GAME_KEYS_H

#include <cstdint>

constexpr int32_t KEY_SPACE = 32;
constexpr int32_t KEY_LEFT = 37;
constexpr int32_t KEY_RIGHT = 39;
constexpr int32_t KEY_F = 70;
constexpr int32_t KEY_G = 71;
constexpr int32_t KEY_M = 77; // sound on and off; the game itself never reads it
constexpr int32_t KEY_O = 79;
constexpr int32_t KEY_P = 80;
constexpr int32_t KEY_R = 82;
constexpr int32_t KEY_T = 84;

#endif
