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
    the largest step anywhere else, both as fractions of full scale."""
    step = abs(float(x[0]) - float(x[-1]))
    return step, float(np.max(np.abs(np.diff(x))))


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


def table(sounds):
    lines = ["%-14s %7s %9s %8s %9s %9s %8s" % ("sound", "seconds", "peak dBFS", "RMS dBFS",
                                                "RMS dB(A)", "centroid", "onset")]
    for name in sorted(sounds):
        r = row(name, sounds[name])
        lines.append("%-14s %7.3f %9.2f %8.2f %9.2f %6.0f Hz %5.1f ms" % (
            name, r["seconds"], r["peak_db"], r["rms_db"], r["a_rms_db"], r["centroid"],
            r["onset_ms"]))
    return "\n".join(lines)


def a_weighted_rms_db(x):
    """RMS after the A-weighting curve: closer to how loud a sound seems than
    plain RMS, which overrates low thuds that small speakers barely play."""
    spec = np.fft.rfft(x)
    f2 = np.fft.rfftfreq(len(x), 1.0 / RATE) ** 2
    ra = (12194.0 ** 2 * f2 ** 2) / ((f2 + 20.6 ** 2) * np.sqrt((f2 + 107.7 ** 2) * (f2 + 737.9 ** 2))
                                    * (f2 + 12194.0 ** 2))
    weighted = np.fft.irfft(spec * ra * 10.0 ** (2.0 / 20.0), len(x))
    return db(rms(weighted))
