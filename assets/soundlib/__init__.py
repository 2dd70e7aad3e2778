"""The game's sounds, synthesised from scratch with numpy.

synth    oscillators, envelopes, filtered noise, a small reverb, mixing
wavio    the one WAV layout the engine reads: 16-bit PCM mono, 44-byte header
effects  one function per sound effect
music    the title tune and the game-over jingle, from a short score
measure  the numbers we judge the sounds by (peak, RMS, centroid, seam)
"""
