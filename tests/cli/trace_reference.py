#!/usr/bin/env python3
"""A second, plain reading of how the player sounds an MBT song, used to
cross-check `poronka-cli trace`: it reads the file, then walks the rows the
way the music box does (two ticks per row, a channel per note slot) and
prints the same lines: "<ms> <hex bytes>" or "<ms> reset".

usage: trace_reference.py FILE.mbt [--rows N] [--key-shift K]
       [--program N] [--pan N] [--reverb N] [--chorus N] [--modulation N]
       [--stop-delay N]
(no bank select: the variation table is not repeated here)"""
import sys


def read_lines(path):
    text = open(path, "rb").read().decode("cp932", errors="replace")
    return text.replace("\r\n", "\n").replace("\r", "\n").split("\n")


def read_song(path):
    lines = read_lines(path)
    i = 0
    while lines[i].strip() != "MBT_DATA":
        i += 1
    i += 1
    row_ms, _rows_per_bar, _note_value = (int(lines[i + k].strip()) for k in range(3))
    octaves, letters = lines[i + 3], lines[i + 4]
    names = "CcDdEFfGgAaB"
    pitch = [octaves_digit * 12 + names.index(l)
             for octaves_digit, l in ((int(o), l) for o, l in zip(octaves, letters))]
    rows = []
    ended = False
    for line in lines[i + 5:]:
        if line.rstrip().lower().endswith("lines"):
            ended = True
            break
        rows.append(line)
    # Without an end line, the empty text after the final line break is not a row.
    if not ended and rows and rows[-1] == "" and lines[-1] == "":
        rows.pop()
    song = []
    for line in rows:
        cols = [c + 1 for c, ch in enumerate(line[:len(letters)]) if ch == "O"][:15]
        channels = [k for k in range(16) if k != 9][:len(cols)]
        song.append(list(zip(channels, cols)))
    return max(row_ms // 2, 4), pitch, song


def main(argv):
    path = argv[1]
    opts = {"--rows": None, "--key-shift": 0, "--program": 10, "--pan": 64, "--reverb": 40,
            "--chorus": 0, "--modulation": 0, "--stop-delay": 0}
    for k in range(2, len(argv), 2):
        opts[argv[k]] = int(argv[k + 1])
    half, pitch, song = read_song(path)
    n_rows = len(song)
    want = n_rows if opts["--rows"] is None else opts["--rows"]
    used = [ch for row in song for ch, _ in row]
    top = max(used) if used else -1  # a song without notes sets up no channel
    channels = [ch for ch in range(top + 1) if ch != 9]
    out = []

    def send(t, *data):
        out.append(str(t) + "".join(" %02X" % b for b in data))

    for ch in channels:
        send(0, 0xC0 + ch, opts["--program"])
        send(0, 0xB0 + ch, 10, opts["--pan"])
        send(0, 0xB0 + ch, 91, opts["--reverb"])
        send(0, 0xB0 + ch, 93, opts["--chorus"])
        send(0, 0xB0 + ch, 1, opts["--modulation"])

    shift = opts["--key-shift"]
    delay = opts["--stop-delay"]

    def strike(t, row, velocity):
        for ch, col in song[row - 1]:
            note = pitch[col - 1] + shift
            if 0 <= note <= 127:
                send(t, 0x90 + ch, note, velocity)

    t = 0
    row = 0
    sounded = 0
    while sounded < want:
        t += half          # advance tick: the next row, from the start after the end
        row = row + 1 if row < n_rows else 1
        t += half          # sound tick
        if delay > 0 and n_rows > 0:
            strike(t, (row - 1 - delay) % n_rows + 1, 0)
        if n_rows > 0:
            strike(t, row, 100)
        sounded += 1

    out.append("%d reset" % t)
    for ch in channels:
        if opts["--program"] != 10:
            send(t, 0xB0 + ch, 0, 0)
            send(t, 0xB0 + ch, 32, 0)
            send(t, 0xC0 + ch, 10)
        send(t, 0xB0 + ch, 10, 64)
        send(t, 0xB0 + ch, 91, 40)
        send(t, 0xB0 + ch, 93, 0)
        send(t, 0xB0 + ch, 1, 0)
    print("\n".join(out))


if __name__ == "__main__":
    main(sys.argv)
