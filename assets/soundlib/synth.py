"""Synthesis primitives shared by every sound.

Everything is numpy arrays of float samples at RATE. Oscillators take a
frequency that may change per sample (glides, vibrato) and integrate it into
a phase, so a glide never jumps. Partials above MAX_FREQ are left out rather
than aliased back down: at 22050 Hz there is no room above it.
Noise comes from numpy's legacy RandomState with a fixed seed per use, whose
stream numpy keeps stable, so every run writes the same bytes.
"""

import math

import numpy as np

from .wavio import RATE

MAX_FREQ = 10000.0


def count(seconds):
    """Samples in a duration."""
    return int(round(seconds * RATE))


def times(n):
    return np.arange(n) / RATE


# --- oscillators -------------------------------------------------------------


def phase(freq, n):
    """Running phase (radians) of a frequency that may vary per sample; starts at 0."""
    f = np.broadcast_to(np.asarray(freq, dtype=np.float64), (n,))
    return 2.0 * math.pi * (np.cumsum(f) - f[0]) / RATE


def sine(freq, n, start=0.0):
    return np.sin(phase(freq, n) + start)


def glide(f0, f1, n, shape=1.0):
    """A frequency sweep from f0 to f1, even in pitch (exponential); shape > 1
    lingers near f0 before falling, shape < 1 moves away from f0 quickly."""
    u = np.linspace(0.0, 1.0, n) ** shape
    return f0 * (f1 / f0) ** u


def partials(freq, n, ratios, amps, decays, start=0.0):
    """A struck tone: partials at freq * ratio, each with its own exponential
    decay time (seconds). freq may vary per sample."""
    ph = phase(freq, n) + start
    top = np.max(np.asarray(freq, dtype=np.float64))
    t = times(n)
    out = np.zeros(n)
    for ratio, amp, tau in zip(ratios, amps, decays):
        if top * ratio >= MAX_FREQ or amp == 0:
            continue
        out += amp * np.sin(ph * ratio) * np.exp(-t / tau)
    return out


# --- envelopes ---------------------------------------------------------------


def shape_points(n, points):
    """Piecewise-linear envelope through (seconds, level) points."""
    ts, vs = zip(*points)
    return np.interp(times(n), ts, vs)


def decay(n, tau, delay=0.0):
    """Exponential decay with time constant tau (s), held at 1 until delay."""
    t = np.maximum(times(n) - delay, 0.0)
    return np.exp(-t / tau)


def ramp(n, seconds):
    """Raised-cosine rise from exactly 0 to 1 over the first seconds."""
    k = max(2, count(seconds))
    r = np.ones(n)
    m = min(k, n)
    r[:m] = 0.5 - 0.5 * np.cos(np.pi * np.arange(m) / (k - 1))
    return r


def fade(x, fade_in=0.004, fade_out=0.015):
    """Soft ends: a few ms of raised-cosine fade at each end, so the sound
    starts and stops at exactly zero and never clicks."""
    n = len(x)
    return x * ramp(n, fade_in) * ramp(n, fade_out)[::-1]


# --- noise and filters -------------------------------------------------------


def noise(n, seed):
    return np.random.RandomState(seed).uniform(-1.0, 1.0, n)


def _spectral(x, gain_of):
    """Filter by a real gain curve in the frequency domain (zero phase),
    padded so nothing wraps round the end."""
    n = len(x)
    size = 1 << int(math.ceil(math.log2(max(2 * n, 2))))
    spectrum = np.fft.rfft(x, size)
    freqs = np.fft.rfftfreq(size, 1.0 / RATE)
    return np.fft.irfft(spectrum * gain_of(freqs), size)[:n]


def _low(f, fc, order):
    return 1.0 / np.sqrt(1.0 + (f / fc) ** (2 * order))


def _high(f, fc, order):
    with np.errstate(divide="ignore"):
        g = 1.0 / np.sqrt(1.0 + (fc / np.maximum(f, 1e-9)) ** (2 * order))
    return g


def lowpass(x, fc, order=2):
    return _spectral(x, lambda f: _low(f, fc, order))


def highpass(x, fc, order=2):
    return _spectral(x, lambda f: _high(f, fc, order))


def bandpass(x, lo, hi, order=2):
    return _spectral(x, lambda f: _low(f, hi, order) * _high(f, lo, order))


def resonate(x, fc, q):
    """Time-varying band-pass (a state-variable filter), for sweeps: fc may
    change per sample. A plain loop; the effects are short."""
    n = len(x)
    fc = np.broadcast_to(np.asarray(fc, dtype=np.float64), (n,))
    g = np.tan(np.pi * np.minimum(fc, 0.45 * RATE) / RATE)
    k = 1.0 / q
    a1 = 1.0 / (1.0 + g * (g + k))
    out = np.empty(n)
    s1 = s2 = 0.0
    xs = x.tolist()
    gs = g.tolist()
    a1s = a1.tolist()
    for i in range(n):
        gi = gs[i]
        v1 = a1s[i] * (s1 + gi * (xs[i] - s2))
        v2 = s2 + gi * v1
        s1 = 2.0 * v1 - s1
        s2 = 2.0 * v2 - s2
        out[i] = v1
    return out * k  # unity gain at the centre


# --- reverb ------------------------------------------------------------------


def _comb(x, delay, gain):
    """y[n] = x[n] + gain * y[n - delay], a block of delay samples at a time."""
    y = x.copy()
    for s in range(delay, len(y), delay):
        e = min(s + delay, len(y))
        y[s:e] += gain * y[s - delay : e - delay]
    return y


def _allpass(x, delay, gain):
    w = -gain * x
    w[delay:] += x[:-delay]
    return _comb(w, delay, gain)


def reverb(x, wet=0.2, size=1.0, bright=3500.0):
    """A small Schroeder room (four combs into two all-passes), darkened so
    the tail stays soft. Returns dry plus wet."""
    combs = [(int(558 * size), 0.78), (int(594 * size), 0.77),
             (int(639 * size), 0.76), (int(678 * size), 0.75)]
    src = lowpass(x, bright, 1)
    tail = sum(_comb(src, d, g) for d, g in combs) / len(combs)
    for d in (113, 171):
        tail = _allpass(tail, d, 0.6)
    tail = lowpass(tail, bright, 1)
    return x + wet * tail


# --- mixing ------------------------------------------------------------------


def place(buf, sound, at, wrap=False):
    """Add sound into buf starting at sample at; with wrap, what runs past
    the end comes round to the start (for loops)."""
    n = len(buf)
    if not wrap:
        e = min(n, at + len(sound))
        if e > at:
            buf[at:e] += sound[: e - at]
        return buf
    idx = (at + np.arange(len(sound))) % n
    np.add.at(buf, idx, sound)
    return buf


def soft_limit(x, ceiling, knee=0.8):
    """Leave everything under knee * ceiling alone and bend the rest smoothly
    so it never passes ceiling."""
    k = knee * ceiling
    room = ceiling - k
    a = np.abs(x)
    over = a > k
    y = x.copy()
    y[over] = np.sign(x[over]) * (k + room * np.tanh((a[over] - k) / room))
    return y


def rms(x):
    return float(np.sqrt(np.mean(np.square(x)))) if len(x) else 0.0


def db(v):
    return 20.0 * math.log10(max(v, 1e-12))


def finish(x, rms_db, ceiling_db, fade_in=0.004, fade_out=0.02):
    """Make an effect ready to write: no DC, soft ends, the agreed loudness,
    and a peak that never passes the ceiling."""
    x = highpass(x, 30.0, 2)
    x = fade(x, fade_in, fade_out)
    window = fade(np.ones(len(x)), fade_in, fade_out)
    x = x - window * (np.mean(x) / np.mean(window))
    ceiling = 10.0 ** (ceiling_db / 20.0)
    target = 10.0 ** (rms_db / 20.0)
    # limiting lowers the RMS a little, so settle the gain in a few rounds
    gain = target / rms(x)
    for _ in range(5):
        y = soft_limit(x * gain, ceiling)
        gain *= target / rms(y)
    return soft_limit(x * gain, ceiling)
