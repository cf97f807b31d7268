#!/usr/bin/env python3
"""A second, deliberately plain reading of Standard MIDI Files into a music
box score (byte by byte, step by step as the import is described), used to
cross-check `poronka-cli dump X.mid`. Prints the dump's JSON keys, or
{"fail": message} when the import refuses the file.

usage: smf_reference.py FILE [--channels LIST] [--no-pitch-adjust]
       smf_reference.py --batch   (lines "FILE<TAB>OPTIONS" on stdin)
       smf_reference.py --generate DIR COUNT SEED   (writes random valid files)
"""
import json
import random
import struct
import sys

NOT_STANDARD = "このファイルは標準ＭＩＤＩファイルではありません"
UNSUPPORTED = "このファイルの形式には対応しておりません"
IO_ERROR = "入出力エラーが起こりました。"
NO_NOTES = "このファイルには演奏データがありません"
ROW_LIMIT = "行数が１０万以上あったため以降のデータを無視しました。"
TIMER = "設定されている拍数が、タイマ精度を超えているため\r\n拍数をタイマ精度に設定し直しました。"
LETTERS = "CcDdEFfGgAaB"


class Truncated(Exception):
    pass


def read_file(data, channels, pitch_adjust):
    def byte(pos):
        if pos >= len(data):
            raise Truncated()
        return data[pos]

    if len(data) < 4:
        return {"fail": IO_ERROR}
    if data[0:4] != b"MThd":
        return {"fail": NOT_STANDARD}
    fmt_low = byte(9) if len(data) > 9 else None
    if fmt_low is None:
        return {"fail": IO_ERROR}
    if fmt_low > 1:
        return {"fail": NOT_STANDARD}
    if len(data) < 14:
        return {"fail": IO_ERROR}
    division = data[12] * 256 + data[13]
    if division >= 0x8000:
        return {"fail": UNSUPPORTED}
    header_len = struct.unpack(">I", data[4:8])[0]
    if 8 + header_len > len(data):
        return {"fail": IO_ERROR}
    D = division // 16

    notes = []  # (key, start in 64ths)
    keys = set()
    running = 0
    song_end = 0
    tempo = 0
    numer = 0
    denom = 0
    title = b""
    notice = b""
    pos = 8 + header_len
    try:
        while pos < len(data):
            pos += 4  # chunk type, not examined
            length = 0
            for _ in range(4):
                length = length * 256 + byte(pos)
                pos += 1
            end = pos + length
            tick = 0
            while pos < end:
                delta = 0
                for i in range(4):
                    b = byte(pos)
                    pos += 1
                    delta = delta * 128 + (b & 127)
                    if b < 128:
                        break
                tick += delta
                b = byte(pos)
                pos += 1
                first = second = None
                status = None
                if 0x80 <= b <= 0xEF:
                    running = b
                    if 0xC0 <= b <= 0xDF:
                        byte(pos)
                        pos += 1
                    else:
                        first = byte(pos)
                        second = byte(pos + 1)
                        pos += 2
                        status = b
                elif b < 0x80:
                    if 0xC0 <= running <= 0xDF:
                        pass
                    else:
                        first = b
                        second = byte(pos)
                        pos += 1
                        status = running
                elif b in (0xF0, 0xF7):
                    n = 0
                    for i in range(4):
                        c = byte(pos)
                        pos += 1
                        n = n * 128 + (c & 127)
                        if c < 128:
                            break
                    if pos + n > len(data):
                        raise Truncated()
                    pos += n
                elif b == 0xFF:
                    kind = byte(pos)
                    pos += 1
                    n = 0
                    for i in range(4):
                        c = byte(pos)
                        pos += 1
                        n = n * 128 + (c & 127)
                        if c < 128:
                            break
                    start = pos
                    if kind == 2 and not notice and n > 0:
                        take = min(n, 4096)
                        if start + take > len(data):
                            raise Truncated()
                        notice = data[start:start + take]
                    if kind in (1, 3) and not title and n > 0:
                        take = min(n, 4096)
                        if start + take > len(data):
                            raise Truncated()
                        title = data[start:start + take]
                    if kind == 0x2F and tick > song_end:
                        song_end = tick
                    if kind == 0x51 and tempo == 0:
                        tempo = (byte(start) * 65536 + byte(start + 1) * 256 + byte(start + 2)) // 1000
                    if kind == 0x58 and numer == 0:
                        numer = byte(start)
                        denom = 2 ** byte(start + 1)
                    if start + n > len(data):
                        raise Truncated()
                    pos = start + n
                if status is not None and status >> 4 == 9 and channels[status & 15]:
                    if second > 0 and first < 128:
                        if D == 0:
                            return {"fail": IO_ERROR}
                        notes.append((first, (division // 2 + tick * 16) // division))
                        keys.add(first)
    except Truncated:
        return {"fail": IO_ERROR}
    if not notes:
        return {"fail": NO_NOTES}

    messages = []
    # Columns.
    hi, lo = max(keys), min(keys)
    if hi <= 119:
        shift = 0
    elif lo < hi - 119:
        shift = lo
    else:
        shift = hi - 119
    column_of = {}
    pitches = [0]
    octave, letters = "", ""
    out_of_range = False
    for k in sorted(keys):
        if k - shift > 119:
            out_of_range = True
            break
        pitches.append(k - shift)
        column_of[k] = len(pitches) - 1
        octave += str((k - shift) // 12)
        letters += LETTERS[(k - shift) % 12]

    # Grid search, bounded by the bar or a whole note.
    n4 = numer if numer else 4
    d4 = denom if denom else 4
    cap = max(1, min(64, (64 * n4) // d4))
    starts = [s for _, s in notes]
    U = 1
    flags = {("E",): True, ("O",): True}
    for d in (3, 5, 7):
        for v in range(d):
            flags[(d, v)] = True
    while True:
        for s in starts:
            if s % 2 == 1:
                flags[("E",)] = False
            if s % 2 == 0:
                flags[("O",)] = False
            for d in (3, 5, 7):
                for v in range(d):
                    if (s + v) % d != 0:
                        flags[(d, v)] = False
        if not any(flags.values()):
            break
        applied = False
        if flags[("E",)] and U * 2 <= cap:
            starts = [s // 2 for s in starts]
            U *= 2
            applied = True
        if flags[("O",)] and U * 2 <= cap:
            starts = [(s + 1) // 2 for s in starts]
            U *= 2
            applied = True
        for d in (3, 5, 7):
            for v in range(d):
                if flags[(d, v)] and U * d <= cap:
                    starts = [(s + v) // d for s in starts]
                    U *= d
                    applied = True
        if not applied:
            break

    R = ((division // 2 + song_end * 16) // division) // U
    row_count = 100004 if R > 100000 else R + 4
    rows = [[0] * 16 for _ in range(row_count + 1)]
    order = [k for k in range(16) if k != 9]
    for (key, _), s in zip(notes, starts):
        if key - shift > 119 or key not in column_of:
            continue
        r = s + 1
        if r > row_count:
            continue
        c = column_of[key]
        cols = [rows[r][k] for k in order if rows[r][k] != 0]
        if c in cols:
            continue
        cols.append(c)
        cols.sort()
        cols = cols[:15]
        rows[r] = [0] * 16
        for k, col in zip(order, cols):
            rows[r][k] = col
    max_slot = 0
    for r in range(1, row_count + 1):
        for k in range(16):
            if rows[r][k]:
                max_slot = max(max_slot, k)
    if out_of_range:
        messages.append("使用範囲を超える高音があり、音程を－%d移動\nしましたが、範囲内に入らない音がありました。" % shift)
    elif shift > 0:
        messages.append("使用範囲を超える高音があり、音程を－%d移動しました。" % shift)

    t = tempo if tempo else 500
    half = ((t * U) // 16) // 2
    note_value = 64 // U
    rows_per_bar = max(1, (n4 * note_value) // d4)
    text = title.decode("cp932", errors="replace") if title else "NO_Title"
    if notice:
        text += "\r\n" + notice.decode("cp932", errors="replace")
    bar_adjust = [0] * ((row_count - 1) // rows_per_bar + 2)
    # Play preparation: row 0, timer minimum, tempo.
    rows[0] = [rows[row_count][k] if k <= max_slot else 0 for k in range(16)]
    if half < 4:
        half = 4
        messages.append(TIMER)
    bpm = round(60000 / (half * 2 * note_value / 4))
    columns = len(pitches) - 1
    avg = sum(pitches[1:]) // columns
    top = pitches[-1]
    adj = min(78 - avg, 24)
    if adj > 0 and top + adj > 127 and top < 127:
        adj = 127 - top
    key_shift = adj if adj > 0 and pitch_adjust else 0
    if row_count == 100004:
        messages.append(ROW_LIMIT)
    return {"Title": text, "HalfPeriod": half, "RowsPerBar": rows_per_bar, "NoteValue": note_value,
            "Bpm": bpm, "PreRows": 0, "BarAdjust": bar_adjust, "OctaveLine": octave,
            "LetterLine": letters, "ColumnCount": columns, "ColumnPitch": pitches,
            "RowCount": row_count, "MaxSlot": max_slot, "RowNotes": rows, "KeyShift": key_shift,
            "Messages": messages}


def parse_channels(text):
    on = [False] * 16
    for part in text.split(","):
        if not part:
            continue
        a, _, b = part.partition("-")
        for c in range(int(a), int(b or a) + 1):
            on[c - 1] = True
    return on


def vlq(v):
    out = [v & 127]
    v >>= 7
    while v:
        out.append(128 | (v & 127))
        v >>= 7
    return bytes(reversed(out))


def generate(folder, count, seed):
    """Random but well-formed files: format 0 or 1, several tracks, running
    status, note-offs, velocity 0, other channels, texts, tempo and time
    signature, sysex, grids of 64ths with triplets and offsets."""
    import os
    rng = random.Random(seed)
    os.makedirs(folder, exist_ok=True)
    for i in range(count):
        division = rng.choice([16, 24, 48, 96, 120, 192, 384, 480, 960])
        step = rng.choice([1, 2, 3, 4, 6, 8, 12, 16, 24, 32]) * max(1, division // 16)
        offset = rng.choice([0, 0, 1, 2]) * max(1, division // 16)
        tracks = []
        for t in range(rng.randint(1, 4)):
            ev = bytearray()
            if t == 0:
                if rng.random() < 0.7:
                    ev += vlq(0) + b"\xff\x03" + vlq(5) + "ｵﾙｺﾞｰ".encode("cp932")[:5]
                if rng.random() < 0.5:
                    ev += vlq(0) + b"\xff\x02" + vlq(9) + b"(c) 2024."
                if rng.random() < 0.7:
                    ev += vlq(0) + b"\xff\x51\x03" + struct.pack(">I", rng.randint(200000, 1200000))[1:]
                if rng.random() < 0.7:
                    ev += vlq(0) + b"\xff\x58\x04" + bytes([rng.choice([2, 3, 4, 6, 7]), rng.choice([1, 2, 3]), 24, 8])
            tick = offset
            ev += vlq(offset)
            ev += bytes([0xF0]) + vlq(3) + b"\x7e\x7f\xf7" + vlq(0)
            running = None
            for n in range(rng.randint(0, 60)):
                channel = rng.choice([0, 0, 0, 1, 2, 9])
                key = rng.randint(rng.choice([0, 20, 36, 48]), rng.choice([72, 96, 127]))
                vel = rng.choice([0, 64, 100, 100, 100])
                kind = rng.choice([0x90, 0x90, 0x90, 0x80, 0xC0, 0xB0])
                status = kind | channel
                if status == running and rng.random() < 0.6:
                    body = b""
                else:
                    body = bytes([status])
                    running = status
                if kind == 0xC0:
                    body += bytes([rng.randint(0, 127)])
                else:
                    body += bytes([key, vel])
                ev += body
                d = rng.choice([0, 0, step, step, 2 * step])
                tick += d
                ev += vlq(d)
            ev += b"\xff\x2f\x00"
            tracks.append(bytes(ev))
        fmt = 0 if len(tracks) == 1 else 1
        data = b"MThd" + struct.pack(">IHHH", 6, fmt, len(tracks), division)
        for tr in tracks:
            data += b"MTrk" + struct.pack(">I", len(tr)) + tr
        with open(os.path.join(folder, "gen%03d.mid" % i), "wb") as f:
            f.write(data)


def main(argv):
    if argv[1] == "--generate":
        generate(argv[2], int(argv[3]), int(argv[4]))
        return 0
    if argv[1] == "--batch":
        # One "FILE<TAB>OPTIONS" per input line, one JSON line per answer.
        for line in sys.stdin:
            name, _, opts = line.rstrip("\n").partition("\t")
            print(one(name, opts.split()), flush=True)
        return 0
    print(one(argv[1], argv[2:]))
    return 0


def one(name, argv):
    channels = [True] * 16
    channels[9] = False
    pitch_adjust = True
    i = 0
    while i < len(argv):
        if argv[i] == "--channels":
            channels = parse_channels(argv[i + 1])
            i += 2
        elif argv[i] == "--no-pitch-adjust":
            pitch_adjust = False
            i += 1
        else:
            raise SystemExit("unknown option " + argv[i])
    with open(name, "rb") as f:
        data = f.read()
    return json.dumps(read_file(data, channels, pitch_adjust), ensure_ascii=False,
                      separators=(",", ":"))


if __name__ == "__main__":
    sys.exit(main(sys.argv))
