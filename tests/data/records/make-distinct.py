#!/usr/bin/env python3
"""Writes distinct.dat and distinct.json: one record in which every field holds
a value no other field holds, so that two fields read from each other's
offsets (or from the wrong width) cannot go unnoticed. Written from the record
layout alone, with its own 10-byte real encoder; run it to regenerate."""

import json
import struct
from fractions import Fraction
from pathlib import Path

HERE = Path(__file__).resolve().parent

# (offset, name) of the reals, the int32 fields and the flags of the 288-byte record.
REALS = [(0, "Home.Temperature"), (10, "Frequency"), (20, "Home.Humidity"),
         (30, "DX.Humidity"), (40, "TerrestrialPathLength"), (50, "Home.EmeElevation"),
         (60, "Home.Pressure"), (70, "DX.Temperature"), (80, "Home.HeightAsl"),
         (90, "DX.Pressure"), (100, "DX.EmeElevation")] + [
            (120 + 10 * i, f"ReservedValues[{i}]") for i in range(7)]
INTS = [(224, "Home.RainRateIndex"), (228, "DX.RainRateIndex"), (232, "Home.Polarisation"),
        (236, "DX.Polarisation"), (240, "FrequencyIndex"), (244, "DisplayDecimals"),
        (248, "Home.LatitudeZone"), (252, "Home.Season"), (256, "DX.LatitudeZone"),
        (260, "DX.Season"), (264, "Home.FogIndex"), (268, "MoonSliderPosition"),
        (272, "Home.CloudPosition"), (276, "HelpDelayIndex"), (280, "DX.CloudPosition"),
        (284, "DX.FogIndex")]
FLAGS = [(190, "EmePathMode", 0xC3), (191, "SpareFlag", 0x5A)]
TEXTS = [(192, "ReservedText1", "Kx7 home"), (208, "ReservedText2", "Qm2 far-end dx")]


def extended(value):
    """The 10-byte x87 form of a dyadic value: 64-bit significand with its
    integer bit, then sign and exponent (bias 16383), little-endian."""
    v = Fraction(value)
    sign = 0x8000 if v < 0 else 0
    v = abs(v)
    e = v.numerator.bit_length() - v.denominator.bit_length()
    if Fraction(2) ** e > v:
        e -= 1
    significand = v / Fraction(2) ** (e - 63)
    assert significand.denominator == 1, "use values exact in 64 bits"
    return struct.pack("<QH", int(significand), sign | (e + 16383))


def main():
    record = bytearray(288)
    expected = {}
    # Reals: k + k/8 with alternating sign, each exact in a double as well.
    for k, (at, name) in enumerate(REALS, start=1):
        value = (-1) ** k * (k * 11 + Fraction(k, 8))
        record[at:at + 10] = extended(value)
        expected[name] = float(value)
    # Ints: four different non-zero bytes each, so a narrower read shows too;
    # every other one negative.
    for k, (at, name) in enumerate(INTS, start=1):
        value = k | (k + 16) << 8 | (k + 32) << 16 | (k + 48) << 24
        value = -value if k % 2 == 0 else value
        record[at:at + 4] = struct.pack("<i", value)
        expected[name] = value
    for at, name, value in FLAGS:
        record[at] = value
        expected[name] = value
    for at, name, text in TEXTS:
        record[at] = len(text)
        record[at + 1:at + 1 + len(text)] = text.encode("ascii")
        expected[name] = text
    # The ten bytes at offset 110 belong to no field.
    record[110:120] = bytes(range(0xA0, 0xAA))
    (HERE / "distinct.dat").write_bytes(record)
    note = ("Every field holds a value no other field holds (ints with four different "
            "non-zero bytes, half of them negative), so two swapped offsets cannot "
            "decode right. Written by make-distinct.py.")
    (HERE / "distinct.json").write_text(
        json.dumps({"expected": dict(sorted(expected.items())), "note": note}, indent=1) + "\n")


if __name__ == "__main__":
    main()
