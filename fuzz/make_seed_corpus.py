#!/usr/bin/env python3
# Writes the fuzz target's seed corpus: real answers as the unit sends them, turned into the
# target's operations (pieces of at most 63 bytes, events, ticks).
import pathlib, sys

out = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else pathlib.Path(__file__).parent / "corpus")
out.mkdir(parents=True, exist_ok=True)

query = bytes([0x21, 0x00, 0x6D, 0x02, 0x78, 0x00] + sum(([0x00, pid, 0x01, v] for pid, v in [
    (0x21, 10), (0x27, 10), (0x22, 12), (0x28, 12), (0x4D, 0), (0x4B, 0), (0x4E, 0), (0x4C, 0),
    (0x53, 0), (0x2B, 1), (0x49, 1), (0x7E, 1), (0x4A, 1), (0x7F, 1)]), []))
assert len(query) == 62

def frame(payload, lower=False, space=False, end=b"\r\n"):
    digits = payload.hex().encode()
    digits = digits if lower else digits.upper()
    if space:
        digits = digits[:2] + b" " + digits[2:]
    return b">" + digits + end

def pieces(data, size=63):
    ops = b""
    for i in range(0, len(data), size):
        chunk = data[i:i + size]
        ops += bytes([len(chunk)]) + chunk
    return ops

def ticks(n):
    return bytes([0x80 | n])

seeds = {
    "query_answer": pieces(frame(query)) + ticks(20) + ticks(5),
    "ack": pieces(frame(b"\x06")) + ticks(25),
    "space": pieces(frame(query, space=True)) + ticks(21),
    "lower_case": pieces(frame(query, lower=True)) + ticks(21),
    "two_frames": pieces(frame(b"\x00") + frame(query)) + ticks(40),
    "garbage_then_answer": pieces(b"\x01\xfe<zz" * 10) + ticks(20) + pieces(frame(query)) + ticks(22),
    "split_in_gap": pieces(frame(query), 7) + ticks(25),
    "split_past_gap": pieces(frame(query)[:60]) + ticks(20) + pieces(frame(query)[60:]) + ticks(20),
    "cr_only": pieces(frame(query, end=b"\r")) + ticks(21),
    "thirty_bytes": pieces(frame(query[:30])) + ticks(21),
    "twenty_nine_bytes": pieces(frame(query[:29])) + ticks(21),
    "event_between": pieces(frame(query)[:50]) + b"\x40" + pieces(frame(query)[50:]) + ticks(21),
    "overflow": pieces(b"x" * 100 + frame(query)) + ticks(21),
}
for name, data in seeds.items():
    (out / name).write_bytes(data)
print(f"wrote {len(seeds)} seeds to {out}")
