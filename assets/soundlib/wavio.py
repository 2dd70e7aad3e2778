"""A writer for the one WAV layout the engine reads: RIFF with a "fmt " and a
"data" chunk and nothing else, 16-bit PCM, mono. Written by hand so the bytes
never depend on a library's version."""

import struct

import numpy as np

RATE = 22050
HEADER_BYTES = 44


def pcm16(signal):
    """Float samples in [-1, 1] to little-endian 16-bit integers, rounded.
    No dither: a silent stretch stays exactly zero."""
    x = np.clip(np.asarray(signal, dtype=np.float64), -1.0, 1.0)
    return np.round(x * 32767.0).astype("<i2")


def wav_bytes(signal, rate=RATE):
    data = pcm16(signal).tobytes()
    header = b"RIFF" + struct.pack("<I", 36 + len(data)) + b"WAVE"
    header += b"fmt " + struct.pack("<IHHIIHH", 16, 1, 1, rate, rate * 2, 2, 16)
    header += b"data" + struct.pack("<I", len(data))
    return header + data


def write_wav(path, signal, rate=RATE):
    with open(path, "wb") as f:
        f.write(wav_bytes(signal, rate))
