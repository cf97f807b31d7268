#!/usr/bin/env python3
"""A second, independent model of the editor's row, bar, resolution and
pitch operations, checked against `poronka-cli edit` on random scores and
random operation sequences.

usage: edit_ops_reference.py POROKA_CLI EXAMPLE.mbt [CASES] [SEED]

The model works on the dump JSON of the batch tool. It keeps the grid
labels literally as the window does (a label column that the operations
relabel from their start rows) and checks that they always equal the
labels the whole score gives.
"""
import json
import os
import random
import subprocess
import sys
import tempfile

SHARP = "CcDdEFfGgAaB"
MAXROWS = 100000


def slots_order():
    return [k for k in range(16) if k != 9]


def row_cols(row):
    out = []
    for k in slots_order():
        if row[k] == 0:
            break
        out.append(row[k])
    return out


def row_from(cols):
    row = [0] * 16
    for k, c in zip(slots_order(), cols[:15]):
        row[k] = c
    return row


def adj(s, b):
    return s["BarAdjust"][b] if 0 <= b < len(s["BarAdjust"]) else 0


def set_adj(s, b, v):
    while len(s["BarAdjust"]) <= b:
        s["BarAdjust"].append(0)
    s["BarAdjust"][b] = max(-32768, min(32767, v))


def resize_adj(s, n):
    ba = s["BarAdjust"][:n]
    ba += [0] * (n - len(ba))
    s["BarAdjust"] = ba


def labels(s):
    out = [None]
    pos, bar = s["PreRows"], 1
    for _ in range(s["RowCount"]):
        pos += 1
        if pos > s["RowsPerBar"] + adj(s, bar):
            pos, bar = 1, bar + 1
        out.append((bar, pos))
    return out


def lbl(t):
    return "%d･%d" % t


class Ed:
    def __init__(self, s):
        self.s = s
        self.msgs = []
        self.cur = (1, 2)  # (column, grid row)

    # ---- rows -------------------------------------------------------------
    def insert(self, k):
        s = self.s
        R, rpb = s["RowCount"], s["RowsPerBar"]
        Y = self.cur[1]
        if R + k > MAXROWS:
            self.msgs.append("行数が１０万以上になってしまいます。")
            return
        lab = labels(s)
        L, l = lab[R] if R > 0 else (1, s["PreRows"])
        ms = s["MaxSlot"]
        rows = s["RowNotes"]
        keep = lambda r: [v if i <= ms else 0 for i, v in enumerate(r)]
        new = [rows[0]] + [keep(r) for r in rows[1:Y - 1]] + [[0] * 16 for _ in range(k)] + [keep(r) for r in rows[Y - 1:]]
        s["RowNotes"] = new
        if l == rpb + adj(s, L) or k == rpb:
            resize_adj(s, L + 2)
        if k == rpb:
            if Y > R + 1:
                set_adj(s, L + 1, 0)
            else:
                B, w = lab[Y - 1]
                for j in range(L, B - 1, -1):
                    set_adj(s, j + 1, adj(s, j))
                set_adj(s, B, 0)
        s["RowCount"] = R + k
        self.changed()

    def delete_rows(self, top, bottom):
        s = self.s
        R, rpb = s["RowCount"], s["RowsPerBar"]
        if bottom > R + 1:
            if top > R + 1:
                return
            bottom = R + 1
        if bottom - top + 1 == R:
            self.msgs.append("全行削除は出来ません！")
            return
        self.cur = (self.cur[0], top)
        lab = labels(s)
        B1, P1 = lab[top - 1]
        B2, P2 = lab[bottom - 1]
        F = B1 if P1 == 1 else B1 + 1
        G = B2 if P2 == rpb + adj(s, B2) else B2 - 1
        if B1 < B2:
            if adj(s, B1) > 0 and P1 > 1:
                v = P1 - 1 - rpb
                set_adj(s, B1, v if v > 0 else 0)
            if adj(s, B2) > 0 and P2 < rpb + adj(s, B2):
                v = adj(s, B2) - P2
                set_adj(s, B2, v if v > 0 else 0)
        else:
            if adj(s, B1) > 0:
                v = adj(s, B1) - (P2 - P1 + 1)
                set_adj(s, B1, v if v > 0 else 0)
        if G >= F:
            ba = s["BarAdjust"]
            s["BarAdjust"] = ba[:F] + ba[G + 1:]
        count = bottom - top + 1
        del s["RowNotes"][top - 1:bottom]
        s["RowCount"] = R - count
        lastbar, lastpos = labels(s)[s["RowCount"]]
        resize_adj(s, lastbar + 1)
        a = adj(s, lastbar)
        d = lastpos - rpb
        if a > 0 and a > d:
            set_adj(s, lastbar, d if d > 0 else 0)
        self.changed()

    def times(self, f):
        s = self.s
        R = s["RowCount"]
        if R * f > MAXROWS:
            self.msgs.append("行数が１０万行以上になるため処理を中止します。")
            return
        Y = self.cur[1]
        rows = [[0] * 16 for _ in range(R * f + 1)]
        rows[0] = s["RowNotes"][0]
        for i in range(1, R + 1):
            rows[(i - 1) * f + 1] = s["RowNotes"][i]
        s["RowNotes"] = rows
        for b in range(1, len(s["BarAdjust"])):
            s["BarAdjust"][b] = max(-32768, min(32767, s["BarAdjust"][b] * f))
        s["RowsPerBar"] *= f
        s["NoteValue"] *= f
        s["PreRows"] *= f
        s["HalfPeriod"] = int(s["HalfPeriod"] / f) or 1
        s["RowCount"] = R * f
        self.cur = (self.cur[0], (Y - 2) * f + 2)
        self.changed()

    def divide(self, d):
        s = self.s
        rpb, p, R = s["RowsPerBar"], s["PreRows"], s["RowCount"]
        Y = self.cur[1]
        if rpb % d:
            self.msgs.append("%d行／小節なので、%s分の１に出来ません。" % (rpb, "２" if d == 2 else "３"))
            return
        r = p % d
        kept = [i for i in range(1, R + 1) if (p + i - 1) % d == 0]
        s["RowNotes"] = [s["RowNotes"][0]] + [s["RowNotes"][i] for i in kept]
        s["RowCount"] = len(kept)
        s["RowsPerBar"] = rpb // d
        s["NoteValue"] = int(s["NoteValue"] / d) or 1
        s["HalfPeriod"] *= d
        s["PreRows"] = (p + r) // d
        for b in range(1, len(s["BarAdjust"])):
            s["BarAdjust"][b] = int(s["BarAdjust"][b] / d)
        row = (Y + r - 2) // d + 1
        self.cur = (self.cur[0], 2 if row <= 1 else row)
        self.changed()

    def bar_length(self, text):
        s = self.s
        R, rpb, p = s["RowCount"], s["RowsPerBar"], s["PreRows"]
        Y = self.cur[1]
        if Y > R + 1:
            return
        B, c = labels(s)[Y - 1]
        if B == 1 and p > 0:
            self.msgs.append("開始前行が設定されているので、行数調整は出来ません！")
            return
        low = 1 - rpb
        high = R - (Y - 1) + c - rpb
        neg = high < 0
        if neg:
            high -= 1
        high = min(high, 32767)
        t = text.strip()
        if t in ("", "+", "-"):
            return
        v = int(t)
        if v < low:
            v = low
        if v > high:
            v = 0 if neg else high
        set_adj(s, B, v)
        total = 0
        for b in range(1, len(s["BarAdjust"])):
            total += s["BarAdjust"][b]
            if b * rpb - p + total >= R:
                break
        n = (R + p - total) // rpb if R + p - total >= 0 else -((-(R + p - total)) // rpb)
        resize_adj(s, max(n + 2, B + 1))
        s["Modified"] = True

    # ---- pitches ----------------------------------------------------------
    def set_lines_from_pitch(self):
        s = self.s
        s["OctaveLine"] = "".join(str(n // 12) for n in s["ColumnPitch"][1:])
        s["LetterLine"] = "".join(SHARP[n % 12] for n in s["ColumnPitch"][1:])

    def refresh_row0(self):
        s = self.s
        last = s["RowNotes"][s["RowCount"]]
        for k in range(0, min(s["MaxSlot"], 15) + 1):
            s["RowNotes"][0][k] = last[k]

    def add_high(self):
        s = self.s
        top = s["ColumnPitch"][-1]
        n = 12
        if 119 - top < 12:
            self.msgs.append("可能な音程の範囲を超えてしまいます。\n%d個の音程を追加します。" % (119 - top))
            if top >= 119:
                return
            n = 119 - top
        s["ColumnPitch"] += [top + i for i in range(1, n + 1)]
        s["OctaveLine"] += "".join(str((top + i) // 12) for i in range(1, n + 1))
        s["LetterLine"] += "".join(SHARP[(top + i) % 12] for i in range(1, n + 1))
        s["ColumnCount"] += n
        self.changed()

    def add_low(self):
        s = self.s
        low = s["ColumnPitch"][1]
        n = 12
        if low < 12:
            self.msgs.append("可能な音程の範囲を超えてしまいます。\n%d個の音程を追加します。" % low)
            if low <= 0:
                return
            n = low
        notes = [low - n + i for i in range(n)]
        s["ColumnPitch"] = [0] + notes + s["ColumnPitch"][1:]
        s["OctaveLine"] = "".join(str(x // 12) for x in notes) + s["OctaveLine"]
        s["LetterLine"] = "".join(SHARP[x % 12] for x in notes) + s["LetterLine"]
        for r in range(1, s["RowCount"] + 1):
            s["RowNotes"][r] = [v + n if v else 0 for v in s["RowNotes"][r]]
        self.refresh_row0()
        s["ColumnCount"] += n
        self.changed()

    def insert_pitch(self, name, flats):
        s = self.s
        table = "CdDeEFgGaAbB" if flats else SHARP
        if len(name) != 2 or not name[0].isdigit() or name[1] not in table:
            self.msgs.append("音名が正しくありません")
            return
        note = int(name[0]) * 12 + table.index(name[1])
        if note in s["ColumnPitch"][1:]:
            self.msgs.append("この音（%s）は既に存在します" % name)
            return
        at = next((c for c in range(1, s["ColumnCount"] + 1) if s["ColumnPitch"][c] > note), s["ColumnCount"] + 1)
        s["ColumnPitch"].insert(at, note)
        s["OctaveLine"] = s["OctaveLine"][:at - 1] + name[0] + s["OctaveLine"][at - 1:]
        s["LetterLine"] = s["LetterLine"][:at - 1] + SHARP[note % 12] + s["LetterLine"][at - 1:]
        s["ColumnCount"] += 1
        for r in range(1, s["RowCount"] + 1):
            s["RowNotes"][r] = [v + 1 if v >= at else v for v in s["RowNotes"][r]]
        self.refresh_row0()
        self.changed()

    def delete_cols(self, L, Rt):
        s = self.s
        N = s["ColumnCount"]
        if L == 1 and Rt == N:
            self.msgs.append("全音削除は出来ません！")
            return False
        w = Rt - L + 1
        for r in range(1, s["RowCount"] + 1):
            cols = [c - w if c > Rt else c for c in row_cols(s["RowNotes"][r]) if not L <= c <= Rt]
            s["RowNotes"][r] = row_from(cols)
        self.refresh_row0()
        del s["ColumnPitch"][L:Rt + 1]
        s["OctaveLine"] = s["OctaveLine"][:L - 1] + s["OctaveLine"][Rt:]
        s["LetterLine"] = s["LetterLine"][:L - 1] + s["LetterLine"][Rt:]
        s["ColumnCount"] = N - w
        self.changed()
        return True

    def cleanup(self):
        s = self.s
        count = 0
        c = s["ColumnCount"]
        while c >= 1 and s["ColumnCount"] >= 2:
            if not any(c in row_cols(s["RowNotes"][r]) for r in range(1, s["RowCount"] + 1)):
                self.delete_cols(c, c)
                count += 1
            c -= 1
        if count:
            self.msgs.append("%d個の音を削除しました。" % count)

    def transpose(self, v):
        s = self.s
        if v == 0:
            return
        s["ColumnPitch"] = [0] + [x + v for x in s["ColumnPitch"][1:]]
        self.set_lines_from_pitch()
        s["Modified"] = True

    def items(self):
        ps = self.s["ColumnPitch"][1:]
        hi, lo = max(ps), min(ps)
        cut_end = min(max(hi - 95, 0), 24)
        cut_start = min(max(24 - lo, 0), 24)
        return [("+%d" % v if v > 0 else str(v)) for v in range(-24 + cut_start, 25 - cut_end)]

    def changed(self):
        self.s["Modified"] = True


def run_cli(cli, path, ops, flats=False):
    args = [cli, "edit", path] + (["--flats"] if flats else [])
    for op in ops:
        args += ["--op", op]
    p = subprocess.run(args, capture_output=True)
    return p.returncode, (json.loads(p.stdout.decode()) if p.returncode == 0 else None), p.stderr.decode()


def random_ops(ed, rng, n, flats=False):
    """Random operations; the model runs along to keep arguments valid."""
    ops = []
    for _ in range(n):
        s = ed.s
        R, N = s["RowCount"], s["ColumnCount"]
        kind = rng.choice(["insert-row", "insert-bar", "delete-rows", "x2", "x3", "/2", "/3", "bar-length",
                           "bar-length", "add-high", "add-low", "insert-pitch", "delete-pitches", "cleanup",
                           "transpose", "insert-bar", "delete-rows", "bar-length"])
        row = rng.randint(1, R + 1)
        if kind == "insert-row":
            ops.append("insert-row=%d" % row); ed.cur = (ed.cur[0], row + 1); ed.insert(1)
        elif kind == "insert-bar":
            ops.append("insert-bar=%d" % row); ed.cur = (ed.cur[0], row + 1); ed.insert(s["RowsPerBar"])
        elif kind == "delete-rows":
            t = rng.randint(1, R + 1); b = min(R + 1, t + rng.choice([0, 1, 3, 7, 20]))
            ops.append("delete-rows=%d,%d" % (t, b)); ed.cur = (ed.cur[0], t + 1); ed.delete_rows(t + 1, b + 1)
        elif kind in ("x2", "x3"):
            if R * int(kind[1]) > 3000:
                continue
            ops.append("resolution=%s,%d" % (kind, row)); ed.cur = (ed.cur[0], row + 1); ed.times(int(kind[1]))
        elif kind in ("/2", "/3"):
            ops.append("resolution=%s,%d" % (kind, row)); ed.cur = (ed.cur[0], row + 1); ed.divide(int(kind[1]))
        elif kind == "bar-length":
            text = rng.choice(["2", "-1", "-3", "+5", "0", "99", "-99", "", "-", " 4", "1"])
            ops.append("bar-length=%d,%s" % (row, text)); ed.cur = (ed.cur[0], row + 1); ed.bar_length(text)
        elif kind == "add-high":
            ops.append("add-high"); ed.add_high()
        elif kind == "add-low":
            ops.append("add-low"); ed.add_low()
        elif kind == "insert-pitch":
            name = "%d%s" % (rng.randint(0, 9), rng.choice("CcDdEFfGgAaBbe"))
            ops.append("insert-pitch=" + name); ed.insert_pitch(name, flats)
        elif kind == "delete-pitches":
            l = rng.randint(1, N); r = min(N, l + rng.choice([0, 0, 1, 2, 5]))
            ops.append("delete-pitches=%d,%d" % (l, r)); ed.delete_cols(l, r)
        elif kind == "cleanup":
            ops.append("cleanup"); ed.cleanup()
        elif kind == "transpose":
            v = rng.choice(ed.items())
            ops.append("transpose=" + v); ed.transpose(int(v))
    return ops


def main():
    cli, example = sys.argv[1], sys.argv[2]
    cases = int(sys.argv[3]) if len(sys.argv) > 3 else 100
    seed = int(sys.argv[4]) if len(sys.argv) > 4 else 1
    rng = random.Random(seed)
    tmp = tempfile.mkdtemp()
    failures = 0
    checked = 0
    for case in range(cases):
        # A random score: the New score with random notes, bar layout and length.
        base = os.path.join(tmp, "base%d.mbt" % case)
        setup = ["new"]
        for _ in range(rng.randint(0, 40)):
            setup.append("toggle=%d,%d" % (rng.randint(1, 300), rng.randint(1, 36)))
        setup.append("info=%d;%d;4;%d;t" % (rng.choice([750, 500, 1000]), rng.choice([4, 6, 3, 12]), rng.choice([0, 1, 2])))
        rc, _, err = run_cli(cli, example, setup)
        if rc != 0:
            print("setup failed", setup, err)
            failures += 1
            continue
        subprocess.run([cli, "edit", example, base] + sum([["--op", o] for o in setup], []), capture_output=True)
        rc, start, err = run_cli(cli, base, ["redo"])
        if rc != 0:
            print("setup failed", err)
            failures += 1
            continue
        ed = Ed(json.loads(json.dumps(start)))
        flats = rng.random() < 0.3
        ops = random_ops(ed, rng, rng.randint(1, 8), flats)
        checked += 1
        rc, got, err = run_cli(cli, base, ops, flats)
        if rc != 0:
            print("case %d: exit %d: %s\n  ops: %s" % (case, rc, err.strip(), ops))
            failures += 1
            continue
        want = ed.s
        for key in ["RowCount", "RowsPerBar", "NoteValue", "HalfPeriod", "PreRows", "BarAdjust", "ColumnCount",
                    "ColumnPitch", "OctaveLine", "LetterLine", "RowNotes", "MaxSlot"]:
            if got[key] != want[key]:
                print("case %d: %s differs\n  ops: %s" % (case, key, ops))
                if key == "RowNotes":
                    for i, (a, b) in enumerate(zip(got[key], want[key])):
                        if a != b:
                            print("  row %d: got %s want %s" % (i, a, b))
                            break
                    print("  lengths", len(got[key]), len(want[key]))
                elif key != "RowNotes":
                    print("  got  %s\n  want %s" % (str(got[key])[:300], str(want[key])[:300]))
                failures += 1
                break
        else:
            got_msgs = got["Messages"][len(start["Messages"]):]
            if got_msgs != ed.msgs:
                print("case %d: messages differ\n  ops: %s\n  got  %s\n  want %s" % (case, ops, got_msgs, ed.msgs))
                failures += 1
    print("%d cases, %d checked, %d failures" % (cases, checked, failures))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
