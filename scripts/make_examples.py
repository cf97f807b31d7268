#!/usr/bin/env python3
"""Writes the example songs in examples/ (public-domain melodies, our own
arrangements) as MBT files: code page 932, CR LF line ends."""
import os

COLUMNS_OCT = "4" * 12 + "5" * 12 + "6" * 12
COLUMNS_LET = "CcDdEFfGgAaB" * 3
LOWEST = 48  # MIDI note of column 1


def song_rows(events, total_rows):
    """events: list of (row, [midi notes]) with row 1-based."""
    rows = [set() for _ in range(total_rows + 1)]
    for row, notes in events:
        rows[row].update(notes)
    return rows


def melody_events(melody, start_row=1):
    """melody: list of (midi or None, length in rows)."""
    events, row = [], start_row
    for note, length in melody:
        if note is not None:
            events.append((row, [note]))
        row += length
    return events, row - 1


def write_mbt(path, title, half_period, rows_per_bar, note_value, rows,
              pre_rows=0, bar_adjust=None):
    lines = title.split("\n")
    if pre_rows:
        lines.append("+Line%d" % pre_rows)
    for bar, value in sorted((bar_adjust or {}).items()):
        lines.append("%%PL%d    %d" % (bar, value))
    lines += ["MBT_DATA", str(half_period * 2), str(rows_per_bar), str(note_value),
              COLUMNS_OCT, COLUMNS_LET]
    out = [l.encode("cp932") for l in lines]
    for r in range(1, len(rows)):
        cols = sorted(n - LOWEST + 1 for n in rows[r])
        assert all(1 <= c <= 36 for c in cols), (path, r, cols)
        if not cols:
            out.append(b"")
            continue
        line, prev = b"", 0
        for c in cols[:15]:
            line += b"\xa5" * (c - 1 - prev) + b"O"
            prev = c
        line += b"\xa5" * (36 - prev)
        out.append(line)
    out.append(("ENDofDATA %d lines" % (len(rows) - 1)).encode())
    with open(path, "wb") as f:
        f.write(b"".join(l + b"\r\n" for l in out))


def sakura(path):
    # Eighth note per row, 8 rows a bar (4/4).
    A4, B4, C5, F4, E4, C4, B3 = 69, 71, 72, 65, 64, 60, 59
    q, h, e, w = 2, 4, 1, 8
    melody = [
        (A4, q), (A4, q), (B4, h), (A4, q), (A4, q), (B4, h),
        (A4, q), (B4, q), (C5, q), (B4, q), (A4, q), (B4, e), (A4, e), (F4, h),
        (E4, q), (C4, q), (E4, q), (F4, q), (E4, q), (E4, e), (C4, e), (B3, h),
        (A4, q), (B4, q), (C5, q), (B4, q), (A4, q), (B4, e), (A4, e), (F4, h),
        (E4, q), (C4, q), (E4, q), (F4, q), (E4, q), (E4, e), (C4, e), (B3, h),
        (A4, q), (A4, q), (B4, h), (A4, q), (A4, q), (B4, h),
        (E4, q), (F4, q), (B4, e), (A4, e), (F4, q), (E4, w),
    ]
    events, last = melody_events(melody)
    # Accompaniment: A minor and E colour chords on the first and fifth row of each bar.
    chords = [[57, 64], [52, 59], [57, 64], [53, 60], [52, 59], [52, 56, 59],
              [57, 64], [53, 60], [52, 59], [52, 56, 59], [57, 64], [52, 59], [52, 59, 64]]
    for bar, chord in enumerate(chords):
        events.append((bar * 8 + 1, chord))
        if bar < len(chords) - 1:
            events.append((bar * 8 + 5, chord[:2]))
    rows = song_rows(events, last)
    write_mbt(path, "さくらさくら\n日本古謡　オルゴール編曲", 208, 8, 8, rows)


def kirakira(path):
    # Quarter note per row, 4 rows a bar; the last bar is held two rows longer.
    C, D, E, F, G, A = 72, 74, 76, 77, 79, 81
    tune = [C, C, G, G, A, A, G, None, F, F, E, E, D, D, C, None,
            G, G, F, F, E, E, D, None, G, G, F, F, E, E, D, None,
            C, C, G, G, A, A, G, None, F, F, E, E, D, D, C, None]
    melody = [(n, 1) for n in tune]
    melody[-1] = (None, 3)  # the final C rings through the longer last bar
    events, last = melody_events(melody)
    harmony = {1: [48, 64], 5: [53, 65], 7: [48, 64], 9: [53, 57], 11: [48, 64], 13: [55, 59],
               15: [48, 52, 55], 17: [48, 64], 19: [53, 57], 21: [48, 64], 23: [55, 59],
               25: [48, 64], 27: [53, 57], 29: [48, 64], 31: [55, 59],
               33: [48, 64], 37: [53, 65], 39: [48, 64], 41: [53, 57], 43: [48, 64], 45: [55, 59],
               47: [48, 52, 55, 60]}
    for row, chord in harmony.items():
        events.append((row, chord))
    rows = song_rows(events, last)
    write_mbt(path, "きらきら星\nフランス民謡", 250, 4, 4, rows, bar_adjust={12: 2})


def hotaru(path):
    # Eighth note per row, 8 rows a bar; the song starts on the last beat of bar 1.
    C4, D4, F4, G4, A4, C5, D5 = 60, 62, 65, 67, 69, 72, 74
    melody = [
        (C4, 2),
        (F4, 3), (F4, 1), (F4, 2), (A4, 2), (G4, 3), (F4, 1), (G4, 2), (A4, 2),
        (F4, 3), (F4, 1), (A4, 2), (C5, 2), (D5, 6), (D5, 2),
        (C5, 3), (A4, 1), (A4, 2), (F4, 2), (G4, 3), (F4, 1), (G4, 2), (A4, 2),
        (F4, 3), (D4, 1), (D4, 2), (C4, 2), (F4, 8),
    ]
    events, last = melody_events(melody)
    # Bars start at rows 3, 11, 19, ...: F, C, F, Bb, F, C, Bb F, F.
    chords = [[53, 57], [48, 55, 58], [53, 57], [58, 62], [53, 57, 60], [48, 55, 58],
              [58, 62], [53, 57, 60]]
    for bar, chord in enumerate(chords):
        events.append((3 + bar * 8, chord))
        if bar < len(chords) - 1:
            events.append((7 + bar * 8, chord[:1]))
    rows = song_rows(events, last)
    write_mbt(path, "蛍の光\nスコットランド民謡", 250, 8, 8, rows, pre_rows=6)


if __name__ == "__main__":
    here = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "examples")
    os.makedirs(here, exist_ok=True)
    sakura(os.path.join(here, "sakura.mbt"))
    kirakira(os.path.join(here, "kirakira.mbt"))
    hotaru(os.path.join(here, "hotaru.mbt"))
