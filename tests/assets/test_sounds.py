#!/usr/bin/python3
"""Checks the generated sounds the way the game and a player will meet them.

The WAV files are parsed here by hand, following the engine's rules (a
44-byte RIFF header: "fmt " then "data", 16-bit PCM mono at 22050 Hz), so a
file with extra chunks or another layout fails. Nobody listens to these in
a test run, so the checks are numbers: levels, edges, the tune's seam, what
happens when several sounds play at once."""

import argparse
import itertools
import os
import struct
import subprocess
import sys
import tempfile
import unittest

import numpy as np

ARGS = None
RATE = 22050
FULL = 32768.0
NAMES = ["title.wav", "page.wav", "milk.wav", "pin.wav", "splash.wav", "swing.wav", "melt.wav",
         "knockdown.wav", "gameover.wav"]
TUNE = "title.wav"
EFFECTS = [n for n in NAMES if n != TUNE]
F_MAJOR = {5, 7, 9, 10, 0, 2, 4}  # pitch classes F G A Bb C D E


def read_wav(path):
    """Returns (header fields, samples as float in [-1, 1))."""
    with open(path, "rb") as f:
        data = f.read()
    assert len(data) >= 44, "shorter than its header"
    riff, riff_size, wave = struct.unpack("<4sI4s", data[:12])
    fmt, fmt_size, tag, channels, rate, byte_rate, align, bits = \
        struct.unpack("<4sIHHIIHH", data[12:36])
    chunk, data_size = struct.unpack("<4sI", data[36:44])
    fields = dict(riff=riff, riff_size=riff_size, wave=wave, fmt=fmt, fmt_size=fmt_size, tag=tag,
                  channels=channels, rate=rate, byte_rate=byte_rate, align=align, bits=bits,
                  chunk=chunk, data_size=data_size, file_size=len(data))
    samples = np.frombuffer(data[44 : 44 + data_size], "<i2").astype(np.float64) / FULL
    return fields, samples


def manifest():
    return read_table(ARGS.manifest, str, float, str, str)


class Cache:
    sounds = {}

    @classmethod
    def get(cls, name):
        if name not in cls.sounds:
            cls.sounds[name] = read_wav(os.path.join(ARGS.sounds, name))
        return cls.sounds[name]


def samples(name):
    return Cache.get(name)[1]


def db(v):
    return 20.0 * np.log10(max(v, 1e-12))


def rms_db(x):
    return db(float(np.sqrt(np.mean(np.square(x)))))


def peak(x):
    return float(np.max(np.abs(x)))


class FilesTheGameLoads(unittest.TestCase):
    def test_manifest_lists_every_sound_once_and_only_the_tune_loops(self):
        rows = manifest()
        self.assertEqual(sorted(r[0] for r in rows), sorted(NAMES))
        for name, _, mode, purpose in rows:
            with self.subTest(name=name):
                self.assertEqual(mode, "loop" if name == TUNE else "once")
                self.assertTrue(purpose.strip(), "says what it is for")

    def test_every_file_is_plain_16_bit_mono_pcm_of_its_stated_length(self):
        expected = dict(riff=b"RIFF", wave=b"WAVE", fmt=b"fmt ", fmt_size=16, tag=1, channels=1,
                        rate=RATE, byte_rate=2 * RATE, align=2, bits=16, chunk=b"data")
        for name, seconds, _, _ in manifest():
            with self.subTest(name=name):
                fields, x = Cache.get(name)
                for key, value in expected.items():
                    self.assertEqual(fields[key], value, key)
                self.assertEqual(fields["data_size"], fields["file_size"] - 44, "data chunk size")
                self.assertEqual(fields["riff_size"], fields["file_size"] - 8, "RIFF size")
                self.assertAlmostEqual(len(x) / RATE, seconds, delta=0.001)

    def test_all_sounds_fit_the_download_budget(self):
        total = sum(os.path.getsize(os.path.join(ARGS.sounds, n)) for n in NAMES)
        self.assertLessEqual(total, 700 * 1000)


class Levels(unittest.TestCase):
    def test_every_peak_stays_below_minus_1_dbfs_and_there_is_no_dc(self):
        for name in NAMES:
            with self.subTest(name=name):
                x = samples(name)
                self.assertLess(db(peak(x)), -1.0)
                self.assertLess(abs(float(np.mean(x))), 0.001, "DC offset")

    def test_effects_are_balanced_and_the_tune_sits_below_them(self):
        levels = {n: rms_db(samples(n)) for n in EFFECTS}
        spread = max(levels.values()) - min(levels.values())
        self.assertLessEqual(spread, 3.0, levels)
        below = float(np.mean(list(levels.values()))) - rms_db(samples(TUNE))
        self.assertGreaterEqual(below, 6.0)
        self.assertLessEqual(below, 10.0)

    def test_three_effects_at_once_never_reach_full_scale(self):
        for trio in itertools.combinations(EFFECTS, 3):
            with self.subTest(trio=trio):
                # started on the same frame, summed exactly
                n = max(len(samples(e)) for e in trio)
                mix = np.zeros(n)
                for e in trio:
                    mix[: len(samples(e))] += samples(e)
                self.assertLess(peak(mix), 1.0)
                # started anywhere: even their peaks landing together stay below
                self.assertLess(sum(peak(samples(e)) for e in trio), 1.0)

    def test_the_tune_and_two_effects_never_reach_full_scale(self):
        # the tune loops, so an effect may start anywhere in it: bound by peaks
        for pair in itertools.combinations(EFFECTS, 2):
            with self.subTest(pair=pair):
                self.assertLess(peak(samples(TUNE)) + sum(peak(samples(e)) for e in pair), 1.0)


class Edges(unittest.TestCase):
    def test_effects_fade_in_softly_and_end_at_zero(self):
        ms = RATE // 1000
        for name in EFFECTS:
            with self.subTest(name=name):
                x = samples(name)
                self.assertLessEqual(abs(x[0]) * FULL, 1, "first sample")
                self.assertLessEqual(abs(x[-1]) * FULL, 1, "last sample")
                self.assertLess(peak(x[:ms]), 0.3 * peak(x), "attack sharper than a millisecond")
                self.assertLess(rms_db(x[-5 * ms :]), db(peak(x)) - 30, "still sounding at the end")

    def test_tune_loops_without_a_click(self):
        x = samples(TUNE) * FULL
        steps = np.abs(np.diff(x))
        join = abs(x[0] - x[-1])
        # across the join the wave moves no more than it usually does per sample
        self.assertLessEqual(join, np.median(steps))
        # and it keeps its slope: the step into the start continues the last one
        self.assertLessEqual(abs((x[0] - x[-1]) - (x[-1] - x[-2])), np.median(steps))
        # the very first play starts from silence
        self.assertLessEqual(abs(x[0]), 16)

    def test_tune_loops_without_a_gap(self):
        x = samples(TUNE)
        win = RATE * 30 // 1000
        around = np.concatenate([x[-10 * win :], x[: 4 * win]])
        levels = [rms_db(around[i : i + win]) for i in range(0, len(around) - win + 1, win)]
        typical = np.median([rms_db(x[i : i + win]) for i in range(0, len(x) - win, win)])
        self.assertGreater(min(levels), typical - 15.0, levels)


class Music(unittest.TestCase):
    def beats_per_minute(self, x, hop=110):
        """Tempo from how often the sound swells: the strongest repeat of
        the rises in level, between 60 and 180 beats a minute."""
        frames = x[: len(x) // hop * hop].reshape(-1, hop)
        level = np.log10(np.sum(frames ** 2, axis=1) + 1e-10)
        rises = np.maximum(np.diff(level), 0.0)
        rises -= rises.mean()
        spectrum = np.fft.rfft(rises)
        ac = np.fft.irfft(spectrum * np.conj(spectrum), len(rises))  # circular: it is a loop
        lags = np.arange(1, len(ac))
        bpm = 60.0 * RATE / (lags * hop)
        pick = (bpm >= 60) & (bpm <= 180)
        return bpm[pick][np.argmax(ac[1:][pick])]

    def pitch_classes(self, x, strongest=8):
        """Pitch classes of the strongest spectral peaks between 80 Hz and
        2 kHz, where the notes' fundamentals are."""
        spectrum = np.abs(np.fft.rfft(x * np.hanning(len(x))))
        freqs = np.fft.rfftfreq(len(x), 1.0 / RATE)
        band = (freqs > 80) & (freqs < 2000)
        local = np.r_[False, (spectrum[1:-1] > spectrum[:-2]) & (spectrum[1:-1] >= spectrum[2:]), False]
        idx = np.flatnonzero(band & local)
        idx = idx[np.argsort(spectrum[idx])[::-1][:strongest]]
        midi = 69 + 12 * np.log2(freqs[idx] / 440.0)
        return {int(round(m)) % 12 for m in midi}

    def test_tune_is_8_to_12_seconds_at_about_110_to_120_bpm(self):
        x = samples(TUNE)
        self.assertGreaterEqual(len(x) / RATE, 8.0)
        self.assertLessEqual(len(x) / RATE, 12.0)
        bpm = self.beats_per_minute(x)
        self.assertGreaterEqual(bpm, 108)
        self.assertLessEqual(bpm, 122)

    def test_tune_and_jingle_share_one_key(self):
        for name in (TUNE, "gameover.wav"):
            with self.subTest(name=name):
                self.assertLessEqual(self.pitch_classes(samples(name)), F_MAJOR)

    def test_jingle_descends(self):
        x = samples("gameover.wav")
        pitch = []
        for start, end in ((0.0, 0.12), (1.2, 1.7)):
            part = x[int(start * RATE) : int(end * RATE)]
            spectrum = np.abs(np.fft.rfft(part * np.hanning(len(part))))
            freqs = np.fft.rfftfreq(len(part), 1.0 / RATE)
            pitch.append(freqs[np.argmax(np.where(freqs > 120, spectrum, 0))])
        self.assertLess(pitch[1], pitch[0] / 2, "ends more than an octave lower")


class Generator(unittest.TestCase):
    def test_a_second_run_writes_the_same_bytes(self):
        with tempfile.TemporaryDirectory() as out:
            subprocess.run([sys.executable, ARGS.generator, "--out", out], check=True)
            for name in NAMES:
                with open(os.path.join(out, name), "rb") as a, \
                        open(os.path.join(ARGS.sounds, name), "rb") as b:
                    self.assertEqual(a.read(), b.read(), name)

    def test_a_manifest_that_disagrees_is_refused_and_nothing_is_written(self):
        with tempfile.TemporaryDirectory() as out:
            wrong = os.path.join(out, "sounds.txt")
            with open(wrong, "w", encoding="utf-8") as f:
                for name, seconds, mode, purpose in manifest():
                    if name == "pin.wav":
                        seconds += 0.1
                    f.write("%s\t%.3f\t%s\t%s\n" % (name, seconds, mode, purpose))
                f.write("door.wav\t0.500\tonce\tnot made by the generator\n")
            folder = os.path.join(out, "Sounds")
            run = subprocess.run([sys.executable, ARGS.generator, "--out", folder,
                                  "--manifest", wrong], capture_output=True, text=True)
            self.assertNotEqual(run.returncode, 0)
            self.assertIn("pin.wav lasts", run.stderr)
            self.assertIn("missing: door.wav", run.stderr)
            self.assertFalse(os.path.exists(folder))


if __name__ == "__main__":
    ap = argparse.ArgumentParser()
    ap.add_argument("--sounds", required=True)
    ap.add_argument("--manifest", required=True)
    ap.add_argument("--generator", required=True)
    ARGS, rest = ap.parse_known_args()
    # The manifests are read as the generators read them.
    sys.path.insert(0, os.path.dirname(ARGS.generator))
    from tables import read_table  # noqa: E402

    unittest.main(argv=[sys.argv[0]] + rest, verbosity=2)
