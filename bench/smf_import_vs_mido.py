#!/usr/bin/python3
"""Side by side: the MIDI import (bench_smf_import, BM_ImportFile) against
python3-mido reading the same 1 MB format 1 file into messages.

usage: bench/smf_import_vs_mido.py BUILD_DIR [FILE.mid]
Without FILE a 1 MB file is written to a temporary folder first.
"""
import json
import os
import random
import struct
import subprocess
import sys
import tempfile
import time

import mido


def vlq(v):
    out = [v & 127]
    v >>= 7
    while v:
        out.append(128 | (v & 127))
        v >>= 7
    return bytes(reversed(out))


def megabyte_file(path):
    rng = random.Random(7)
    tracks = [vlq(0) + b"\xff\x51\x03\x07\xa1\x20" + vlq(0) + b"\xff\x58\x04\x04\x02\x18\x08"
              + vlq(0) + b"\xff\x2f\x00"]
    for t in range(8):
        ev = bytearray(vlq(0) + bytes([0xC0 + t, 10]))
        while len(ev) < 128 * 1024:
            keys = [48 + rng.randrange(36) for _ in range(1 + rng.randrange(3))]
            for i, k in enumerate(keys):
                ev += vlq(0) + (bytes([0x90 + t]) if i == 0 else b"") + bytes([k, 100])
            for i, k in enumerate(keys):
                ev += vlq(120 if i == 0 else 0) + bytes([k, 0])
        ev += vlq(0) + b"\xff\x2f\x00"
        tracks.append(bytes(ev))
    data = b"MThd" + struct.pack(">IHHH", 6, 1, len(tracks), 480)
    for tr in tracks:
        data += b"MTrk" + struct.pack(">I", len(tr)) + tr
    with open(path, "wb") as f:
        f.write(data)


def main():
    build = sys.argv[1]
    holder = tempfile.TemporaryDirectory()
    tmp = holder.name
    path = sys.argv[2] if len(sys.argv) > 2 else os.path.join(tmp, "megabyte.mid")
    if len(sys.argv) <= 2:
        megabyte_file(path)
    size = os.path.getsize(path)

    best = None
    for _ in range(3):
        start = time.perf_counter()
        mid = mido.MidiFile(path)
        count = sum(len(t) for t in mid.tracks)
        took = time.perf_counter() - start
        best = took if best is None else min(best, took)
    mido_ms = best * 1000

    env = dict(os.environ, SMF_BENCH_FILE=path)
    out = subprocess.run([os.path.join(build, "bench_smf_import"), "--benchmark_filter=BM_ImportFile",
                          "--benchmark_format=json", "--benchmark_repetitions=3"],
                         env=env, check=True, capture_output=True, text=True).stdout
    runs = [b for b in json.loads(out)["benchmarks"] if b.get("run_type") == "iteration"]
    ours_ms = min(b["real_time"] for b in runs)
    ours_cpu_ms = min(b["cpu_time"] for b in runs)
    print("file: %s (%d bytes, %d messages)" % (path, size, count))
    print("mido MidiFile:       %8.1f ms" % mido_ms)
    print("import (wall / cpu): %8.1f ms / %.1f ms" % (ours_ms, ours_cpu_ms))
    print("import is %.0f times faster by wall time (%.0f by cpu time)"
          % (mido_ms / ours_ms, mido_ms / ours_cpu_ms))


if __name__ == "__main__":
    main()
