#!/usr/bin/python3
"""Writes a long random input script for the game: seeded, so the same seed always
gives the same script. Keys are held and released as a player would, with auto-repeat,
stray keys and typed characters; Space comes often so every run soon leaves the intro,
'P' rarely and 'O' soon after it, so pauses do not eat the soak.

Usage: make_script.py --seed N --frames N --out FILE
"""
import argparse
import random

SPACE, LEFT, RIGHT = 32, 37, 39
KEY_F, KEY_G, KEY_O, KEY_P, KEY_R, KEY_T = 70, 71, 79, 80, 82, 84
ESCAPE = 27  # would end the program: never sent
# (key, weight, shortest hold, longest hold) in frames
GAME_KEYS = [
    (SPACE, 6, 1, 40),
    (LEFT, 10, 5, 400),
    (RIGHT, 14, 5, 400),
    (KEY_F, 5, 1, 30),
    (KEY_G, 5, 1, 30),
    (KEY_T, 4, 1, 30),
    (KEY_R, 4, 1, 30),
    (KEY_O, 4, 10, 40),
    (KEY_P, 1, 1, 15),
]


def stray_key(rng):
    key = rng.randrange(256)
    return key if key != ESCAPE else ESCAPE + 1


def stray_char(rng):
    code = rng.randrange(1, 256)
    return code if code != ESCAPE else ESCAPE + 1


def events(rng, frames):
    """Yields (frame, kind, code) in frame order."""
    pending = []  # (frame, kind, code) not yet due
    held = {}
    frame = 1
    while frame <= frames:
        frame += rng.choice((1, 1, 2, 3, 5, 8, 13, 21))
        if frame > frames:
            break
        roll = rng.random()
        if roll < 0.70:
            key, _, low, high = rng.choices(GAME_KEYS, [k[1] for k in GAME_KEYS])[0]
            if key in held:
                continue
            up = min(frame + rng.randint(low, high), frames)
            held[key] = up
            pending.append((frame, "down", key))
            # auto-repeat while held
            repeat = frame + 20
            while repeat < up and rng.random() < 0.5:
                pending.append((repeat, "down", key))
                repeat += rng.randint(2, 6)
            pending.append((up, "up", key))
        elif roll < 0.85:
            key = stray_key(rng)
            if key in held or key in (k[0] for k in GAME_KEYS):
                continue
            pending.append((frame, "down", key))
            pending.append((frame + rng.randint(0, 10), "up", key))
        else:
            for _ in range(rng.randint(1, 4)):
                pending.append((frame, "char", stray_char(rng)))
        held = {k: u for k, u in held.items() if u > frame}
    pending.sort(key=lambda e: e[0])  # stable: same-frame events keep their order
    for event in pending:
        if event[0] <= frames:
            yield event


def write_script(seed, frames, path):
    rng = random.Random(seed)
    count = 0
    with open(path, "w") as out:
        out.write("# soak input, seed %d, %d frames\n" % (seed, frames))
        for frame, kind, code in events(rng, frames):
            out.write("%d %s %d\n" % (frame, kind, code))
            count += 1
    return count


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--seed", type=int, default=1)
    parser.add_argument("--frames", type=int, required=True)
    parser.add_argument("--out", required=True)
    args = parser.parse_args()
    count = write_script(args.seed, args.frames, args.out)
    print("make_script: %d events over %d frames (seed %d)" % (count, args.frames, args.seed))


if __name__ == "__main__":
    main()
