"""The numbers the sounds are judged by, since nobody here listens to them:
level, loudness, brightness, how they start and end, and the tune's seam."""

import numpy as np

from .synth import db, rms
from .wavio import RATE


def centroid(x):
    """Spectral centroid in Hz: where the power of the sound sits."""
    power = np.abs(np.fft.rfft(x)) ** 2
    freqs = np.fft.rfftfreq(len(x), 1.0 / RATE)
    return float(np.sum(freqs * power) / max(np.sum(power), 1e-20))


def onset(x, below_peak_db=20.0):
    """Seconds until the sound first comes within below_peak_db of its peak."""
    level = np.max(np.abs(x)) * 10.0 ** (-below_peak_db / 20.0)
    return float(np.argmax(np.abs(x) >= level)) / RATE


def seam(x):
    """How the end of a loop meets its start: the step across the join and
    the median step between neighbouring samples, as fractions of full scale."""
    return abs(float(x[0]) - float(x[-1])), float(np.median(np.abs(np.diff(x))))


def busiest(effects, background):
    """The worst pile-ups, as the sum of peaks (they may land together):
    the three loudest effects, and the background with the two loudest."""
    peaks = sorted((float(np.max(np.abs(x))) for x in effects), reverse=True)
    return sum(peaks[:3]), float(np.max(np.abs(background))) + sum(peaks[:2])


def row(name, x):
    return {
        "name": name,
        "seconds": len(x) / RATE,
        "peak_db": db(float(np.max(np.abs(x)))),
        "rms_db": db(rms(x)),
        "centroid": centroid(x),
        "onset_ms": 1000.0 * onset(x),
        "a_rms_db": a_weighted_rms_db(x),
    }


def table(sounds, looped):
    lines = ["%-14s %7s %9s %8s %9s %9s %8s" % ("sound", "seconds", "peak dBFS", "RMS dBFS",
                                                "RMS dB(A)", "centroid", "onset")]
    for name in sorted(sounds):
        r = row(name, sounds[name])
        lines.append("%-14s %7.3f %9.2f %8.2f %9.2f %6.0f Hz %5.1f ms" % (
            name, r["seconds"], r["peak_db"], r["rms_db"], r["a_rms_db"], r["centroid"],
            r["onset_ms"]))
    for name in sorted(looped):
        join, typical = seam(sounds[name])
        lines.append("%s loop join: a step of %.1f/32768, the median step is %.1f/32768" % (
            name, join * 32768, typical * 32768))
    effects = [x for n, x in sounds.items() if n not in looped]
    for name in sorted(looped):
        three, with_tune = busiest(effects, sounds[name])
        lines.append("pile-ups: three effects %.2f dBFS, %s and two effects %.2f dBFS" % (
            db(three), name, db(with_tune)))
    return "\n".join(lines)


def a_weighted_rms_db(x):
    """RMS after the A-weighting curve: closer to how loud a sound seems than
    plain RMS, which overrates low thuds that small speakers barely play."""
    spectrum = np.fft.rfft(x)
    f2 = np.fft.rfftfreq(len(x), 1.0 / RATE) ** 2
    ra = (12194.0 ** 2 * f2 ** 2) / (
        (f2 + 20.6 ** 2) * np.sqrt((f2 + 107.7 ** 2) * (f2 + 737.9 ** 2)) * (f2 + 12194.0 ** 2))
    weighted = np.fft.irfft(spectrum * ra * 10.0 ** (2.0 / 20.0), len(x))
    return db(rms(weighted))
