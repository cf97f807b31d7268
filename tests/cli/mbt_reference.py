#!/usr/bin/env python3
"""A second, deliberately plain reading of MBT files (two passes over the
file, line by line, exactly as the format describes), used to cross-check
`poronka-cli dump`. Prints the same JSON keys for the successful cases."""
import json
import sys


def lines_of(data):
    text = data.decode("cp932", errors="replace")
    out, cur, i = [], [], 0
    while i < len(text):
        ch = text[i]
        if ch == "\r":
            out.append("".join(cur)); cur = []
            if i + 1 < len(text) and text[i + 1] == "\n":
                i += 1
        elif ch == "\n":
            out.append("".join(cur)); cur = []
        else:
            cur.append(ch)
        i += 1
    if cur:
        out.append("".join(cur))
    return out


def to_int(s):
    s = s.strip(" \t\x00\x01\x02\x03\x04\x05\x06\x07\x08\x0b\x0c\x0e\x0f\x10\x11\x12\x13\x14\x15\x16\x17\x18\x19\x1a\x1b\x1c\x1d\x1e\x1f")
    body = s[1:] if s[:1] in "+-" else s
    if not body or not body.isascii() or not body.isdigit():
        raise ValueError(s)
    v = int(s)
    if not -2**31 <= v < 2**31:
        raise ValueError(s)
    return v


def read(data):
    lines = lines_of(data)
    pos = 0
    def readln():
        nonlocal pos
        if pos < len(lines):
            pos += 1
            return lines[pos - 1]
        return ""
    title, pre, header, adj_sum, collecting = None, 0, 0, 0, True
    found = False
    while pos < len(lines):
        line = readln()
        if line.strip() == "MBT_DATA":
            found = True
            break
        if line[:5].upper() == "+LINE":
            pre = max(0, to_int(line[5:8])); collecting = False  # a negative count reads as 0
        if line[:3].upper() == "%PL":
            adj_sum += to_int(line[8:17].replace(" ", "")); collecting = False
        header += 1
        if collecting and header <= 50:
            title = line if title is None else title + "\r\n" + line
    if not found:
        return None, "このファイルはＭＢＴデータがありません。"
    d, p, v = (to_int(readln()) for _ in range(3))
    octave, letters = readln(), readln()
    if d <= 0 or p <= 0 or v <= 0:
        return None, "データが正しくありません。"
    cols = len(letters)
    pitch = [0] + [int(octave[c]) * 12 + "CcDdEFfGgAaB".find(letters[c]) for c in range(cols)]
    count = 0
    while pos < len(lines):
        line = readln()
        if line.strip().lower().endswith("lines"):
            break
        count += 1
        if count > 100000:
            break
    too_many = count > 100000
    count = min(count, 100000)
    bars = max(2, (count + pre - adj_sum) // p + 2 if (count + pre - adj_sum) >= 0 else -((-(count + pre - adj_sum)) // p) + 2)
    adjust = [0] * bars
    for line in lines[:header + 6]:
        if line[:3].upper() == "%PL":
            bar = to_int(line[3:8].replace(" ", ""))
            val = to_int(line[8:17].replace(" ", ""))
            if 1 <= bar < bars:
                adjust[bar] = val
    rows = [[0] * 16 for _ in range(count + 1)]
    max_count = 0
    for r in range(1, count + 1):
        line = lines[header + 5 + r] if header + 5 + r < len(lines) else ""
        slot = 0
        for c, ch in enumerate(line[:cols], start=1):
            if ch == "O":
                if slot == 9:
                    slot = 10
                rows[r][slot] = c
                slot += 1
                if slot > 15:
                    break
        max_count = max(max_count, slot)
    max_slot = max_count - 1
    for k in range(0, max_slot + 1):
        rows[0][k] = rows[count][k]
    half = d // 2
    messages = []
    if half < 4:
        half = 4
        messages.append("設定されている拍数が、タイマ精度を超えているため\r\n拍数をタイマ精度に設定し直しました。")
    bpm = round(60000 / (half * 2 * v / 4))
    if too_many:
        messages.append("１０００００行を越えるデータは無視しました。")
    return {
        "Title": title or "", "HalfPeriod": half, "RowsPerBar": p, "NoteValue": v, "Bpm": bpm,
        "PreRows": pre, "BarAdjust": adjust, "OctaveLine": octave, "LetterLine": letters,
        "ColumnCount": cols, "ColumnPitch": pitch, "RowCount": count, "MaxSlot": max_slot,
        "RowNotes": rows, "KeyShift": 0, "Messages": messages,
    }, None


if __name__ == "__main__":
    try:
        result, error = read(open(sys.argv[1], "rb").read())
    except ValueError:
        result, error = None, "入出力エラーが起こりました。"
    if result is None:
        print(json.dumps({"error": error}, ensure_ascii=False))
    else:
        print(json.dumps(result, ensure_ascii=False))
