"""The title tune and the game-over jingle.

Both are in F major and played by the same small band: a marimba lead, a
celesta that doubles the odd note an octave up for sparkle, a soft plucked
bass, and a shaker with a wooden tick. The tune swings its eighths a little,
which is most of what makes it sound playful rather than mechanical.

The tune is rendered as one period of a loop: every note that rings past the
end is wrapped round to the start, and the reverb is run over two periods so
its tail from the end is already present at the start. The file is then one
exact period, so playing it over and over has no seam at all.
"""

import numpy as np

from . import synth
from .synth import count

BEAT = 12000  # samples per beat: 110.25 beats a minute at 22050 Hz
SWING = 0.56  # where the off-beat eighth falls within its beat
BARS = 4
LOOP = BARS * 4 * BEAT


def freq(midi):
    return 440.0 * 2.0 ** ((midi - 69) / 12.0)


def at_eighth(position):
    """Sample where an eighth-note position (0 = first beat) starts, swung."""
    beat, off = divmod(position, 2)
    return beat * BEAT + (int(round(SWING * BEAT)) if off else 0)


# --- the band ----------------------------------------------------------------


def marimba(midi, vel=1.0, seconds=1.1):
    """A wooden bar: the fundamental rings, the bar's fourth-and-a-bit
    overtone and the mallet's knock die quickly."""
    f = freq(midi)
    n = count(seconds)
    ring = float(np.clip(0.5 * (440.0 / f) ** 0.5, 0.22, 0.8))
    tone = synth.partials(f, n, [1.0, 3.93, 9.2], [1.0, 0.32 * vel, 0.06 * vel],
                          [ring, 0.07, 0.02])
    knock = synth.lowpass(synth.noise(n, midi), 2500.0) * synth.decay(n, 0.004)
    x = vel * (tone + 0.25 * knock)
    return synth.fade(x, 0.0025, 0.05)


def celesta(midi, vel=1.0, seconds=1.3):
    """A small bell-like plate: nearly pure, a faint inharmonic shimmer."""
    f = freq(midi)
    n = count(seconds)
    tone = synth.partials(f, n, [1.0, 2.0, 3.0, 5.4], [1.0, 0.3, 0.1, 0.04],
                          [0.55, 0.25, 0.12, 0.04])
    return synth.fade(vel * tone, 0.0015, 0.08)


DAMP = 0.05  # seconds a bass note takes to be damped after it is let go


def bass(midi, held, vel=1.0):
    """A soft plucked string held for held seconds, then damped quickly."""
    f = freq(midi)
    n = count(held + DAMP + 0.01)
    tone = synth.partials(f, n, [1, 2, 3, 4, 5], [1.0, 0.5, 0.22, 0.1, 0.05],
                          [0.7, 0.35, 0.2, 0.12, 0.08])
    tone = synth.lowpass(tone, 900.0, 2)
    damp = np.clip(1.0 - (synth.times(n) - held) / DAMP, 0.0, 1.0)
    return synth.fade(vel * tone * damp, 0.006, 0.01)


def shaker(seed, vel=1.0):
    n = count(0.09)
    hiss = synth.bandpass(synth.noise(n, 1000 + seed), 4500.0, 9000.0)
    env = synth.ramp(n, 0.008) * synth.decay(n, 0.022, 0.008)
    return synth.fade(vel * hiss * env, 0.001, 0.01)


def tick(vel=1.0):
    """A soft wood block."""
    n = count(0.07)
    tone = synth.partials(1180.0, n, [1.0, 1.6, 2.45], [1.0, 0.4, 0.15], [0.02, 0.012, 0.008])
    return synth.fade(vel * tone, 0.0015, 0.01)


# --- the tune ----------------------------------------------------------------

# (eighth, midi) of the marimba lead: four bars over F, Dm, Bb and C7. The
# last eighth is left empty so the loop breathes before it comes round.
LEAD = [
    (0, 72), (2, 69), (3, 72), (4, 77), (6, 76), (7, 77),
    (8, 81), (10, 77), (11, 74), (12, 77), (14, 76), (15, 74),
    (16, 74), (18, 70), (19, 74), (20, 79), (22, 77), (23, 74),
    (24, 76), (26, 72), (27, 76), (28, 79), (29, 76), (30, 70),
]
# the celesta doubles the first note of each bar an octave up, and answers
# the second bar with a little run
SPARKLE = [(0, 84), (8, 93), (13, 89), (14, 88), (15, 86), (16, 86), (24, 88)]
# (eighth, midi, length in eighths) of the bass
BASS = [
    (0, 41, 3), (4, 48, 2), (6, 45, 2),
    (8, 38, 3), (12, 45, 2), (14, 41, 2),
    (16, 46, 3), (20, 53, 2), (22, 50, 2),
    (24, 48, 3), (28, 43, 4),
]

LEAD_LEVEL = 1.0
SPARKLE_LEVEL = 0.32
BASS_LEVEL = 0.75
SHAKER_LEVEL = 0.1
TICK_LEVEL = 0.12


def _accent(position):
    """Downbeats lean in, off-beats are lighter."""
    if position % 8 == 0:
        return 1.0
    if position % 2 == 0:
        return 0.85
    return 0.72


def _ring(pos, seconds):
    """How long a note starting at pos may sound: the last notes are damped
    so that they die away exactly as the loop comes round. The music flows up
    to the join, yet the join itself is silent, so the first play starts
    without a click and every later one runs on without a seam."""
    return min(seconds, (LOOP - at_eighth(pos)) / synth.RATE)


def _loop_dry():
    buf = np.zeros(LOOP)
    for pos, midi in LEAD:
        note = marimba(midi, _accent(pos), seconds=_ring(pos, 1.1))
        synth.place(buf, LEAD_LEVEL * note, at_eighth(pos), wrap=True)
    for pos, midi in SPARKLE:
        note = celesta(midi, _accent(pos), seconds=_ring(pos, 1.3))
        synth.place(buf, SPARKLE_LEVEL * note, at_eighth(pos), wrap=True)
    for pos, midi, length in BASS:
        held = _ring(pos, length * BEAT / 2 / synth.RATE + DAMP + 0.01) - DAMP - 0.01
        synth.place(buf, BASS_LEVEL * bass(midi, held), at_eighth(pos), wrap=True)
    for pos in range(BARS * 8):
        if pos % 2:
            synth.place(buf, SHAKER_LEVEL * shaker(pos, 0.8 + 0.2 * (pos % 4 == 3)),
                        at_eighth(pos), wrap=True)
        elif pos % 4 == 2:
            synth.place(buf, TICK_LEVEL * tick(), at_eighth(pos), wrap=True)
    return buf


def _quiet_start(x, search=400):
    """Where to cut the loop: the quietest upward zero crossing just before
    the first downbeat, so the first play starts from silence without a click.
    Cutting a periodic signal anywhere keeps it periodic."""
    best, best_level = 0, None
    for k in range(-search, 1):
        a, b = x[(k - 1) % len(x)], x[k % len(x)]
        if a <= 0.0 <= b:
            level = abs(a) + abs(b)
            if best_level is None or level < best_level:
                best, best_level = k, level
    return best % len(x)


def title(rms_db):
    dry = _loop_dry()
    wet = synth.reverb(np.tile(dry, 2), wet=0.22, size=1.1)[LOOP:]
    # a loop must not carry DC: remove it exactly, a periodic signal allows it
    spectrum = np.fft.rfft(wet)
    spectrum[0] = 0.0
    wet = np.fft.irfft(spectrum, LOOP)
    wet = np.roll(wet, -_quiet_start(wet))
    return wet * (10.0 ** (rms_db / 20.0) / synth.rms(wet))


# --- the game-over jingle ----------------------------------------------------

# (seconds, instrument, midi, length in eighths for the bass): a tumble down
# the F major chord, short and dry, that settles on a low, soft, ringing F.
JINGLE = [
    (0.00, "tumble", 84), (0.15, "tumble", 81), (0.30, "tumble", 77), (0.45, "tumble", 74),
    (0.45, "bass", 46, 2), (0.62, "tumble", 72), (0.62, "tumble", 70), (0.62, "bass", 48, 2),
    (0.92, "lead", 65), (0.95, "lead", 69), (0.98, "lead", 72), (0.92, "bass", 41, 5),
    (0.92, "sparkle", 77),
]


def gameover(seconds=2.0):
    n = count(seconds)
    buf = np.zeros(n)
    for event in JINGLE:
        at = count(event[0])
        kind, midi = event[1], event[2]
        if kind == "tumble":
            # each note a little softer, so the overlapping tails do not
            # swell the tumble louder than its first note
            snd = marimba(midi, 1.0 - 0.5 * event[0], seconds=0.3)
        elif kind == "lead":
            snd = 0.8 * marimba(midi, 1.0, seconds=1.1)
        elif kind == "sparkle":
            snd = SPARKLE_LEVEL * celesta(midi)
        else:
            snd = BASS_LEVEL * bass(midi, event[3] * BEAT / 2 / synth.RATE)
        synth.place(buf, snd, at)
    return synth.reverb(buf, wet=0.22, size=1.1)
