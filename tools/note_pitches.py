#!/usr/bin/python3
"""Lists the first notes of a melody in a 16-bit mono WAV file (the headless runner's
--audio output): for each note its start, length and frequency (the strongest component
within a band, from a Hann-windowed FFT with parabolic interpolation), beside the nearest
equal-tempered pitch (A4 = 440 Hz) and the difference in cents.

  tools/note_pitches.py FILE.wav [--notes N] [--low HZ] [--high HZ]
"""
import argparse
import math
import sys
import wave

import numpy as np

NAMES = ["C", "C#", "D", "D#", "E", "F", "F#", "G", "G#", "A", "A#", "B"]
WINDOW = 2048  # 43 ms at 48 kHz
HOP = 480  # 10 ms
PADDED = 1 << 15


def read_wav(path):
    with wave.open(path, "rb") as wav:
        if wav.getsampwidth() != 2 or wav.getnchannels() != 1:
            sys.exit(f"{path}: not 16-bit mono")
        rate = wav.getframerate()
        samples = np.frombuffer(wav.readframes(wav.getnframes()), dtype="<i2")
    return samples.astype(np.float64) / 32768.0, rate


def nearest_pitch(hz):
    semitones = round(12 * math.log2(hz / 440.0))
    true_hz = 440.0 * 2 ** (semitones / 12)
    midi = 69 + semitones
    name = f"{NAMES[midi % 12]}{midi // 12 - 1}"
    return name, true_hz, 1200 * math.log2(hz / true_hz)


def frame_pitches(samples, rate, low, high):
    """(time, level, peak frequency in the band) for each hop."""
    window = np.hanning(WINDOW)
    freqs = np.fft.rfftfreq(PADDED, 1.0 / rate)
    band = np.nonzero((freqs >= low) & (freqs <= high))[0]
    result = []
    for start in range(0, len(samples) - WINDOW, HOP):
        frame = samples[start:start + WINDOW]
        level = math.sqrt(float(np.mean(frame * frame)))
        spectrum = np.abs(np.fft.rfft(frame * window, PADDED))
        i = band[int(np.argmax(spectrum[band]))]
        a, b, c = np.log(spectrum[i - 1:i + 2] + 1e-12)
        shift = 0.5 * (a - c) / (a - 2 * b + c) if a - 2 * b + c != 0 else 0.0
        result.append((start / rate, level, (i + shift) * rate / PADDED))
    return result


def notes(frames, quiet):
    """Runs of sounding frames whose frequency stays within 1.5 %: (start, length, Hz)."""
    found, run = [], []
    for time, level, hz in frames:
        if level < quiet or (run and abs(hz / run[0][1] - 1) > 0.015):
            if len(run) >= 6:  # 60 ms: a transient between notes is no note
                middle = [f for _, f in run[1:-1]]
                found.append((run[0][0], run[-1][0] - run[0][0] + HOP / 48000, float(np.median(middle))))
            run = []
        if level >= quiet:
            run.append((time, hz))
    return found


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("wav")
    parser.add_argument("--notes", type=int, default=9)
    parser.add_argument("--low", type=float, default=550.0)
    parser.add_argument("--high", type=float, default=1300.0)
    args = parser.parse_args()
    samples, rate = read_wav(args.wav)
    frames = frame_pitches(samples, rate, args.low, args.high)
    loudest = max(level for _, level, _ in frames)
    print(f"{'start s':>8} {'length s':>8} {'measured Hz':>11}  note {'true Hz':>8} {'cents':>6}")
    for start, length, hz in notes(frames, loudest / 10)[:args.notes]:
        name, true_hz, cents = nearest_pitch(hz)
        print(f"{start:8.2f} {length:8.2f} {hz:11.2f}  {name:<4} {true_hz:8.2f} {cents:+6.1f}")


if __name__ == "__main__":
    main()
