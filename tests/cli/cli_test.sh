#!/usr/bin/env bash
# The batch tool's contract: exit statuses, messages on stderr, the dump's
# keys, round trips of the example songs, and agreement of `dump` with a
# second, independent reading of MBT files (mbt_reference.py) on the
# examples and on generated files.
set -u
cli="$1"; src="$2"
here="$src/tests/cli"
tmp="$(mktemp -d)"; trap 'rm -rf "$tmp"' EXIT
pass=0; fail=0
ok() { pass=$((pass + 1)); }
bad() { fail=$((fail + 1)); echo "FAIL: $*"; }
expect_rc() { local want="$1"; shift; "$@" >"$tmp/out" 2>"$tmp/err"; local rc=$?; [ "$rc" = "$want" ] && ok || bad "$* -> $rc (want $want): $(cat "$tmp/err")"; }

# Usage errors.
expect_rc 2 "$cli"
expect_rc 2 "$cli" frobnicate x.mbt
expect_rc 2 "$cli" dump
expect_rc 2 "$cli" dump "$src/examples/sakura.mbt" --pan
expect_rc 2 "$cli" dump "$src/examples/sakura.mbt" --pan 999
expect_rc 2 "$cli" dump "$src/examples/sakura.mbt" --bogus
expect_rc 2 "$cli" convert "$src/examples/sakura.mbt" "$tmp/out.txt"
expect_rc 2 "$cli" dump notes.txt

# Failed loads: exit 1, the message on stderr, nothing written.
printf 'no marker here\r\n' > "$tmp/nomarker.mbt"
expect_rc 1 "$cli" convert "$tmp/nomarker.mbt" "$tmp/never.mbt"
grep -q "このファイルはＭＢＴデータがありません。" "$tmp/err" && ok || bad "no-marker message"
[ ! -e "$tmp/never.mbt" ] && ok || bad "a failed load wrote a file"
expect_rc 1 "$cli" dump "$tmp/missing.mbt"
grep -q "入出力エラーが起こりました。" "$tmp/err" && ok || bad "missing-file message"

# A failed save keeps the previous file.
mkdir "$tmp/ro"; echo previous > "$tmp/ro/keep.mbt"
expect_rc 1 "$cli" convert "$src/examples/sakura.mbt" "$tmp/nodir/x.mbt"
grep -q "ファイルの保存中にエラーが起こりました。" "$tmp/err" && ok || bad "save error message"

# Round trips of the examples are byte-exact, and dump agrees with the reference.
for f in "$src"/examples/*.mbt; do
  name=$(basename "$f")
  expect_rc 0 "$cli" convert "$f" "$tmp/$name"
  cmp -s "$f" "$tmp/$name" && ok || bad "round trip changed $name"
  [ ! -s "$tmp/err" ] && ok || bad "$name loads with messages: $(cat "$tmp/err")"
done

# Informational messages (timer minimum) are printed and kept in the dump.
printf 'Fast\r\nMBT_DATA\r\n2\r\n4\r\n4\r\n5\r\nC\r\nO\r\n' > "$tmp/fast.mbt"
expect_rc 0 "$cli" dump "$tmp/fast.mbt"
python3 - "$tmp/out" <<'PY' && ok || bad "dump of fast.mbt"
import json, sys
d = json.load(open(sys.argv[1]))
keys = ["Title", "HalfPeriod", "RowsPerBar", "NoteValue", "Bpm", "PreRows", "BarAdjust", "OctaveLine",
        "LetterLine", "ColumnCount", "ColumnPitch", "RowCount", "MaxSlot", "RowNotes", "KeyShift", "Messages"]
assert list(d) == keys, list(d)
assert d["HalfPeriod"] == 4 and len(d["Messages"]) == 1 and "タイマ精度" in d["Messages"][0]
assert len(d["RowNotes"]) == d["RowCount"] + 1 and all(len(r) == 16 for r in d["RowNotes"])
PY

# Cross-check with the independent reading.
python3 "$here/gen_mbt_cases.py" "$tmp/gen" >/dev/null
for f in "$src"/examples/*.mbt "$tmp"/gen/*.mbt; do
  "$cli" dump "$f" >"$tmp/a.json" 2>/dev/null; rc=$?
  python3 "$here/mbt_reference.py" "$f" >"$tmp/b.json"
  python3 - "$tmp/a.json" "$tmp/b.json" "$rc" "$f" <<'PY' && ok || bad "dump differs from the reference on $(basename "$f")"
import json, sys
b = json.load(open(sys.argv[2]))
rc = int(sys.argv[3])
if "error" in b:
    sys.exit(0 if rc == 1 else 1)
if rc != 0:
    print("cli failed where the reference succeeded", file=sys.stderr); sys.exit(1)
a = json.load(open(sys.argv[1]))
for k in b:
    if a[k] != b[k]:
        print(sys.argv[4], k, str(a[k])[:200], "!=", str(b[k])[:200], file=sys.stderr); sys.exit(1)
PY
done

echo "$pass passed, $fail failed"
[ "$fail" = 0 ]
