"""One function per sound effect. Each returns raw float samples of its own
length; make_sounds.py levels them all the same way (synth.finish).

The palette is soft and cartoonish: thuds are round sines rather than
noise, wet sounds are built from many tiny bubbles (a sine whose pitch rises
as it dies, which is what a real bubble does), and air is band-passed noise
whose centre moves.
"""

import numpy as np

from . import synth
from .synth import count


def _bubble(f0, seconds, rise=1.5, tau=None):
    """One bubble: a sine that rises in pitch while it decays."""
    n = count(seconds)
    tau = tau or seconds / 3.0
    tone = synth.sine(synth.glide(f0, f0 * rise, n, 0.7), n)
    return synth.fade(tone * synth.decay(n, tau), 0.002, 0.004)


def _bubbles(n, seed, times, low, high, amp, rise=1.5, life=(0.018, 0.04)):
    """A scatter of bubbles: times in seconds, pitch drawn between low and
    high (each may be a per-bubble array), amplitude amp (scalar or array)."""
    rnd = np.random.RandomState(seed)
    out = np.zeros(n)
    low = np.broadcast_to(low, (len(times),))
    high = np.broadcast_to(high, (len(times),))
    amp = np.broadcast_to(amp, (len(times),))
    for i, t in enumerate(times):
        f0 = low[i] * (high[i] / low[i]) ** rnd.uniform()
        b = _bubble(f0, rnd.uniform(*life), rise)
        synth.place(out, amp[i] * rnd.uniform(0.5, 1.0) * b, count(t))
    return out


def _thud(n, f0, f1, tau, body=0.5):
    """A soft, round knock: a low sine falling in pitch with a little of its
    octave, so small speakers still play it, and muffled noise for the
    contact."""
    pitch = synth.glide(f0, f1, n, 0.5)
    tone = synth.partials(pitch, n, [1, 2], [1.0, 0.35], [tau, tau * 0.6])
    contact = synth.lowpass(synth.noise(n, int(f0)), 500.0, 2) * synth.decay(n, tau * 0.5)
    return synth.fade(tone + body * contact / np.std(contact[: count(tau)]) * 0.3, 0.004, 0.01)


def page():
    """A paper page turning: a quick swish that brightens as the page lifts
    and lands, with a faint crinkle of the sheet."""
    n = count(0.30)
    env = synth.shape_points(n, [(0, 0), (0.04, 0.45), (0.13, 1.0), (0.2, 0.55), (0.30, 0)])
    grain = synth.lowpass(synth.noise(n, 11), 45.0, 1)
    grain = 1.0 + 0.4 * grain / np.std(grain)
    centre = synth.shape_points(n, [(0, 1500), (0.13, 4200), (0.30, 2600)])
    swish = synth.lowpass(synth.resonate(synth.noise(n, 12), centre, 1.0), 5000.0, 3)
    air = synth.bandpass(synth.noise(n, 13), 2500.0, 6500.0, 2)
    rnd = np.random.RandomState(14)
    crinkle = np.zeros(n)
    for t in np.sort(rnd.uniform(0.03, 0.24, 30)):
        crinkle[count(t)] += rnd.uniform(-1, 1)
    crinkle = synth.bandpass(crinkle, 2500.0, 7000.0)
    crinkle /= np.max(np.abs(crinkle))
    return env * np.clip(grain, 0.3, 2.0) * (swish + 0.2 * air) + 0.15 * env * crinkle


def milk():
    """A fridge door shuts with a rubbery thunk, then a carton pops and its
    milk sloshes."""
    n = count(0.40)
    door = _thud(n, 150.0, 75.0, 0.05, body=1.0)
    latch = synth.partials(1400.0, n, [1.0, 1.7], [1.0, 0.5], [0.006, 0.004])
    door += 0.25 * synth.place(np.zeros(n), latch, count(0.012))
    pop_at = 0.13
    m = count(0.05)
    pop = synth.sine(synth.glide(380.0, 950.0, m, 0.6), m) * synth.decay(m, 0.012)
    pop = synth.fade(pop, 0.002, 0.005)
    out = 1.4 * door + synth.place(np.zeros(n), 0.8 * pop, count(pop_at))
    slosh_env = synth.shape_points(n, [(0, 0), (0.16, 0), (0.2, 0.9), (0.25, 0.45),
                                       (0.3, 0.8), (0.36, 0.3), (0.40, 0)])
    centre = synth.shape_points(n, [(0, 500), (0.2, 900), (0.3, 650), (0.4, 500)])
    slosh = synth.lowpass(synth.resonate(synth.noise(n, 21), centre, 2.0), 1500.0, 2)
    out += 0.6 * slosh_env * slosh / np.std(slosh)
    times = np.sort(np.random.RandomState(22).uniform(0.17, 0.34, 10))
    out += _bubbles(n, 23, times, 450.0, 1100.0, 0.45)
    return out


def pin():
    """A wooden rolling pin picked up: a light tap, then the clack of the
    wood meeting the hand."""
    n = count(0.25)

    def clack(f0, vel, seed):
        m = count(0.14)
        wood = synth.partials(f0, m, [1.0, 2.62, 4.3], [1.0, 0.45, 0.2], [0.04, 0.018, 0.008])
        strike = synth.bandpass(synth.noise(m, seed), 1500.0, 6000.0, 2) * synth.decay(m, 0.003)
        body = synth.sine(210.0, m) * synth.decay(m, 0.035)
        return synth.fade(vel * (wood + 0.3 * strike + 0.5 * body), 0.0015, 0.01)

    # a light tap, the clack, and the handles settling in the hand
    out = np.zeros(n)
    for at, f0, vel in ((0.0, 820.0, 0.45), (0.05, 760.0, 1.0), (0.105, 790.0, 0.3),
                        (0.14, 770.0, 0.18)):
        synth.place(out, clack(f0, vel, int(f0)), count(at))
    return out


def splash():
    """Milk thrown at a muffin: a wet slap whose brightness drains away,
    then droplets and bubbles."""
    n = count(0.50)
    env = synth.ramp(n, 0.008) * (0.7 * synth.decay(n, 0.08) + 0.3 * synth.decay(n, 0.2))
    centre = synth.glide(3800.0, 600.0, n, 0.6)
    slap = synth.lowpass(synth.resonate(synth.noise(n, 41), centre, 0.8), 7000.0, 2) * env
    body = _thud(n, 160.0, 80.0, 0.05, body=0.4)
    rnd = np.random.RandomState(42)
    times = np.sort(rnd.uniform(0.02, 0.42, 28))
    amp = 0.6 * np.exp(-times / 0.2)
    drops = _bubbles(n, 43, times, 700.0, 2000.0, amp, rise=1.6, life=(0.015, 0.035))
    return slap + 0.35 * body + drops


def swing():
    """The rolling pin cutting the air: a whoosh that rises as it passes
    closest, then falls away."""
    n = count(0.35)
    env = synth.shape_points(n, [(0, 0), (0.06, 0.25), (0.15, 1.0), (0.24, 0.35), (0.35, 0)])
    centre = synth.shape_points(n, [(0, 450), (0.15, 1300), (0.35, 600)])
    whoosh = synth.lowpass(synth.resonate(synth.noise(n, 51), centre, 1.8), 2500.0, 4)
    breath = synth.bandpass(synth.noise(n, 52), 300.0, 2500.0, 1)
    return env * (whoosh + 0.3 * breath)


def melt():
    """A muffin melting: a gooey tone sagging in pitch, bubbles that burst
    lower and lower, and a fading sizzle."""
    n = count(0.80)
    t = synth.times(n)
    wobble = 1.0 + 0.05 * np.sin(2 * np.pi * 6.5 * t)
    pitch = synth.glide(540.0, 120.0, n, 0.9) * wobble
    # held partials: goo_env shapes the tone, not a strike's decay
    goo = synth.partials(pitch, n, [1, 2, 3], [1.0, 0.35, 0.15], [10.0, 10.0, 10.0])
    goo = synth.lowpass(goo, 2000.0, 2)
    goo_env = synth.shape_points(n, [(0, 0), (0.03, 0.8), (0.5, 0.6), (0.8, 0)])
    rnd = np.random.RandomState(61)
    times = np.sort(rnd.uniform(0.04, 0.7, 28))
    low = 1200.0 * (250.0 / 1200.0) ** (times / 0.7)
    drops = _bubbles(n, 62, times, low, low * 1.6, 0.5, rise=1.4, life=(0.025, 0.05))
    crackle = synth.lowpass(np.abs(synth.noise(n, 63)) ** 6, 600.0, 1)
    crackle /= np.max(crackle)
    sizzle = synth.bandpass(synth.noise(n, 64), 3000.0, 8000.0, 2) * crackle
    sizzle_env = synth.shape_points(n, [(0, 0), (0.05, 1.0), (0.8, 0.0)])
    return 0.6 * goo_env * goo + drops + 0.35 * sizzle_env * sizzle


def knockdown():
    """The hero knocked flat: a soft thud, then a cartoon spring boing that
    wobbles downward."""
    n = count(0.70)
    thud = _thud(n, 120.0, 60.0, 0.07, body=0.8)
    at = count(0.06)
    m = n - at
    t = synth.times(m)
    wobble = 1.0 + 0.09 * np.sin(2 * np.pi * 13.0 * t) * np.exp(-t / 0.4)
    pitch = synth.glide(640.0, 190.0, m, 0.8) * wobble
    boing = synth.partials(pitch, m, [1, 2, 3, 4], [1.0, 0.5, 0.25, 0.1], [0.26, 0.16, 0.1, 0.07])
    boing = synth.ramp(m, 0.006) * boing
    out = thud
    out[at:] += 0.8 * boing
    return out


ALL = {
    "page.wav": page,
    "milk.wav": milk,
    "pin.wav": pin,
    "splash.wav": splash,
    "swing.wav": swing,
    "melt.wav": melt,
    "knockdown.wav": knockdown,
}
