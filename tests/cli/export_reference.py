#!/usr/bin/python3
"""A second, separate writer of the two export formats, used to check the
exporters byte for byte. Reads a song as the batch tool's dump JSON and the
settings from the command line:

  export_reference.py smf|mfi SONG.json OUT PROGRAM BANKNUMBER PAN REVERB CHORUS MOD STOPDELAY DATE
"""
import json
import sys


def vlq(v):
    out = [v & 0x7F]
    v >>= 7
    while v:
        out.insert(0, (v & 0x7F) | 0x80)
        v >>= 7
    return bytes(out)


def cp932(text):
    return text.encode('cp932', errors='replace')


def notes_of(row):
    """(slot, column) in slot order up to the first empty slot, skipping 9."""
    out = []
    for slot in list(range(9)) + list(range(10, 16)):
        if row[slot] == 0:
            break
        out.append((slot, row[slot]))
    return out


def smf(song, program, bank, pan, reverb, chorus, mod, delay):
    trk = bytearray()
    title = song['Title']
    first, sep, rest = title.partition('\r')
    if first:
        b = cp932(first)
        trk += b'\x00\xff\x03' + vlq(len(b)) + b
    if sep and rest:
        b = cp932(rest)
        trk += b'\x00\xff\x01' + vlq(len(b)) + b
    nv, hp = song['NoteValue'], song['HalfPeriod']
    us = min((hp * nv) // 2 * 1000, 0xFFFFFF)
    trk += b'\x00\xff\x51\x03' + us.to_bytes(3, 'big')
    s, v = song['RowsPerBar'], nv
    cond = lambda: s > 3 and v > 2 and (s > 4 or v > 4)
    while cond():
        changed = False
        done = False
        for d in (2, 3, 5, 7):
            if s % d == 0 and v % d == 0:
                s //= d
                v //= d
                changed = True
            if not cond():
                done = True
                break
        if done or not changed:
            break
    power = 0 if v <= 1 else 1 if v <= 3 else 2 if v <= 6 else 3 if v <= 12 else 4 if v <= 24 else 5 if v <= 48 else 6
    trk += bytes([0, 0xFF, 0x58, 4, s & 0xFF, power, 0x18, 0x08])
    for n in range(3):
        trk += bytes([0, 0xB0 + n, 0, bank, 0, 0xB0 + n, 0x20, 0, 0, 0xC0 + n, program,
                      0, 0xB0 + n, 1, mod, 0, 0xB0 + n, 10, pan, 0, 0xB0 + n, 91, reverb,
                      0, 0xB0 + n, 93, chorus])
    T = 1920 // nv
    pre = song['PreRows']
    rows = song['RowNotes']
    pitch = song['ColumnPitch']
    last = [0]

    def emit(r, t, vel):
        for slot, col in notes_of(rows[r]):
            delta = t - last[0]
            if delta > 0:
                last[0] = t
            else:
                delta = 0
            ch = int((slot - 1) / 5)
            trk.extend(vlq(delta) + bytes([0x90 + ch, pitch[col], vel]))

    def div(a, b):  # toward zero
        q = abs(a) // abs(b)
        return q if (a >= 0) == (b >= 0) else -q

    A = 0
    N = song['RowCount']
    for r in range(1, N + 1):
        has = rows[r][0] != 0
        if delay == 0:
            if has and A:
                emit(A, pre * T + div((9 * r + A - 10) * T, 10), 0)
        elif r > delay:
            emit(r - delay, (pre + r - 2) * T + div((10 - delay) * T, 10), 0)
        emit(r, (pre + r - 1) * T, 100)
        if has:
            A = r
    if delay == 0:
        if A:
            emit(A, pre * T + div((A - 1 + 9 * N) * T, 10), 0)
    else:
        for k in range(max(1, N - delay + 1), N + 1):
            emit(k, (pre + k + delay - 2) * T + div((10 - delay) * T, 10), 0)
    trk += b'\x00\xff\x2f\x00'
    return b'MThd\x00\x00\x00\x06\x00\x00\x00\x01\x01\xe0MTrk' + len(trk).to_bytes(4, 'big') + bytes(trk)


def mfi(song, program, delay, date):
    v2 = song['MaxSlot'] >= 4
    ntracks = (song['MaxSlot'] + 4) // 4 if v2 else 1
    nv, hp = song['NoteValue'], song['HalfPeriod']
    T = 192 // nv
    tempo = max(20, min(255, 120000 // nv // hp))
    G = min(255, delay * T * 9 // 10)
    title = cp932(song['Title'])[:255]
    L = len(title)
    H = L + (64 if v2 else 56)
    head = bytearray()
    head += bytes([1, 1, ntracks])
    head += b'sorc\x00\x01\x01'
    head += b'titl' + L.to_bytes(2, 'big') + title
    head += b'prot\x00\x0aPORON-V3.3'
    if v2:
        head += b'note\x00\x02\x00\x01'
    head += b'date\x00\x08' + date.encode('ascii')
    head += b'vers\x00\x04' + (b'0200' if v2 else b'0100')
    assert len(head) == H
    rows = song['RowNotes']
    pitch = song['ColumnPitch']
    N = song['RowCount']
    limited = False
    tracks = b''
    for k in range(ntracks):
        ev = bytearray()
        if k == 0:
            ev += bytes([0, 0xFF, 0xD0, 0, 0, 0xFF, 0xC3, tempo])
        for i in range(4):
            ev += bytes([0, 0xFF, 0xE1, i * 64 + 2 + program // 64,
                         0, 0xFF, 0xE0, i * 64 + program % 64,
                         0, 0xFF, 0xE2, i * 64 + 58])
        first = 4 * k
        slots = [x for x in range(first, first + 4) if x != 9]

        def track_notes(r):
            out = []
            for x in slots:
                if rows[r][x] == 0:
                    break
                out.append((x - first, rows[r][x]))
            return out

        def note(voice, col, delta, gate):
            nonlocal limited
            n = pitch[col] - 45
            if not v2:
                m = min(62, max(0, n))
                limited |= m != n
                ev.extend(bytes([delta, voice * 64 + m, gate]))
            else:
                if 0 <= n <= 62:
                    ev.extend(bytes([delta, voice * 64 + n, gate, 0xC8]))
                elif n < 0:
                    m = max(n, -12)
                    limited |= m != n
                    ev.extend(bytes([delta, voice * 64 + m + 12, gate, 0xCB]))
                else:
                    m = min(n, 74)
                    limited |= m != n
                    ev.extend(bytes([delta, voice * 64 + m - 12, gate, 0xC9]))

        def filler(delta):
            ev.extend(bytes([delta, 0xFF, 0xDE, 0]) if v2 else bytes([delta, 0x10, 0]))

        def write_row(r, delta, gate):
            for voice, col in track_notes(r):
                note(voice, col, delta, gate)
                delta = 0

        R = 1
        P = 0
        pd = 0
        closing = 0
        for r in range(1, N + 1):
            if delay >= 1:
                if (r - R) * T > 255:
                    filler((r - R - 1) * T)
                    R = r - 1
                if rows[r][first] != 0:
                    for voice, col in track_notes(r):
                        note(voice, col, (r - R) * T, G)
                        R = r
            else:
                if rows[r][0] == 0:
                    if (r - R) * T > 255:
                        if P:
                            write_row(P, pd, 255)
                        P = 0
                        filler((r - R - 1) * T)
                        R = r - 1
                else:
                    if P:
                        write_row(P, pd, min(255, (r - P) * T * 9 // 10))
                        P = 0
                    if (r - R) * T > 255:
                        filler((r - R - 1) * T)
                        R = r - 1
                    if rows[r][first] != 0:
                        pd = (r - R) * T
                        R = r
                        P = r
        if delay >= 1:
            closing = G
        elif P:
            g = min(255, (N - P) * T * 9 // 10) or T
            write_row(P, pd, g)
            closing = g
        E = (N - R) * T
        if E < closing:
            E = closing + 10
        while E > 255:
            filler(255)
            E -= 255
        if v2 and k == 0:
            ev += bytes([E, 0xFF, 0xD0, 1, 0, 0xFF, 0xDF, 0])
        else:
            ev += bytes([E, 0xFF, 0xDF, 0])
        tracks += b'trac' + len(ev).to_bytes(4, 'big') + bytes(ev)
    body = H.to_bytes(2, 'big') + bytes(head) + tracks
    return b'melo' + len(body).to_bytes(4, 'big') + body, limited


def main():
    kind, src, out = sys.argv[1:4]
    program, bank, pan, reverb, chorus, mod, delay = map(int, sys.argv[4:11])
    date = sys.argv[11]
    song = json.load(open(src, encoding='utf-8'))
    if kind == 'smf':
        data = smf(song, program, bank, pan, reverb, chorus, mod, delay)
    else:
        data, limited = mfi(song, program, delay, date)
        print('limited' if limited else 'exact')
    open(out, 'wb').write(data)


if __name__ == '__main__':
    main()
