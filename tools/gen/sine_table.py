#!/usr/bin/env python3
"""Prints the quarter-degree sine table of player/engine/fixed_point.cpp.

T[i] = floor(sin(i / 4 degrees) * 2^31) for i = 0 to 361, computed with
80-digit decimal arithmetic so that every floor is exact. The entries whose
sine is rational (0, 30 and 90 degrees) are exact integers and are checked
as such; every other entry must lie well away from an integer.

Usage: python3 tools/gen/sine_table.py > table.txt, then paste the lines.
"""
from decimal import Decimal, getcontext

getcontext().prec = 80


def pi():
    # Machin: pi = 16 atan(1/5) - 4 atan(1/239).
    def atan_inv(n):
        x = Decimal(1) / n
        x2 = x * x
        term, total, k = x, x, 1
        while True:
            term *= -x2
            k += 2
            step = term / k
            if step == 0:
                return total
            total += step
    return 16 * atan_inv(5) - 4 * atan_inv(239)


def sin(x):
    term, total, k = x, x, 1
    while True:
        term *= -x * x / ((k + 1) * (k + 2))
        k += 2
        if abs(term) < Decimal(10) ** -75:
            return total
        total += term


def table():
    p = pi()
    scale = Decimal(2) ** 31
    entries = []
    for i in range(362):
        exact = {0: 0, 120: 2 ** 30, 360: 2 ** 31}
        if i in exact:
            entries.append(exact[i])
            continue
        v = sin(p * i / 720) * scale
        whole = int(v)  # positive, so int() is floor
        fraction = v - whole
        assert Decimal(10) ** -30 < fraction < 1 - Decimal(10) ** -30, i
        entries.append(whole)
    return entries


def main():
    t = table()
    assert t[1] == 9370135 and t[180] == 1518500249
    assert t[360] == 2 ** 31 and t[361] == 2147463205
    per_line = 6
    for start in range(0, len(t), per_line):
        row = t[start:start + per_line]
        print("    " + " ".join(f"{v}u," for v in row))


if __name__ == "__main__":
    main()
