#!/usr/bin/env python3
"""poronka-cli title against an independent reading.

MP3 and WMA files are encoded by GStreamer and tagged by mutagen; mutagen
also reads the tags back as the reference. MIDI files are taken from the
system when some are installed and read with a track parser written here.
Every file is also cut short at many points: the reader must never crash.
Exits 77 (skipped) when gst-launch-1.0 or mutagen is missing.
"""
import glob
import os
import shutil
import subprocess
import sys
import tempfile

SKIP = 77


def run(cli, path, *opts):
    p = subprocess.run([cli, "title", path, *opts], capture_output=True, timeout=30)
    if p.returncode not in (0, 1):
        raise AssertionError(f"{path}: exit {p.returncode}, stderr {p.stderr!r}")
    return p.returncode, p.stdout.decode("utf-8", "replace").split("\n")


def encode(pipeline_tail, out):
    subprocess.run(["gst-launch-1.0", "-q", "audiotestsrc", "num-buffers=120", "!", "audioconvert", "!",
                    *pipeline_tail, "!", "filesink", f"location={out}"], check=True, capture_output=True)


def midi_reference(data):
    """First sequence/track name or text event of the first track, if it starts within the first 100 bytes."""
    if data[:4] != b"MThd":
        return None
    hl = int.from_bytes(data[4:8], "big")
    p = 8 + hl
    if data[p:p + 4] != b"MTrk":
        return None
    end = p + 8 + int.from_bytes(data[p + 4:p + 8], "big")
    p += 8
    status = 0
    while p < min(end, len(data)):
        while data[p] & 0x80:  # delta time
            p += 1
        p += 1
        b = data[p]
        if b == 0xFF:
            kind = data[p + 1]
            q = p + 2
            n = 0
            while True:
                n = (n << 7) | (data[q] & 0x7F)
                q += 1
                if not data[q - 1] & 0x80:
                    break
            if kind in (1, 3):
                if p > 100:
                    return None
                text = data[q:q + min(n, 128)]
                return text.strip(bytes(range(0, 33))).split(b"\0")[0].decode("cp932", "replace")
            p = q + n
        elif b in (0xF0, 0xF7):
            q = p + 1
            n = 0
            while True:
                n = (n << 7) | (data[q] & 0x7F)
                q += 1
                if not data[q - 1] & 0x80:
                    break
            p = q + n
        else:
            if b & 0x80:
                status = b
                p += 1
            hi = status & 0xF0
            p += 1 if hi in (0xC0, 0xD0) else 2
    return None


def main():
    cli = sys.argv[1]
    if not shutil.which("gst-launch-1.0"):
        print("skipped: gst-launch-1.0 missing")
        return SKIP
    try:
        from mutagen.asf import ASF
        from mutagen.id3 import APIC, ID3, TIT2, TPE1, Encoding
        import mutagen.id3
    except ImportError:
        # The system's interpreter may have it when another one runs first.
        system = "/usr/bin/python3"
        if os.path.exists(system) and os.path.realpath(sys.executable) != os.path.realpath(system):
            return subprocess.run([system, *sys.argv]).returncode
        print("skipped: mutagen missing")
        return SKIP

    failures = []
    checked = 0
    tmp = tempfile.mkdtemp()
    try:
        plain = os.path.join(tmp, "plain.mp3")
        encode(["lamemp3enc"], plain)
        wma = os.path.join(tmp, "plain.wma")
        encode(["avenc_wmav2", "!", "avmux_asf"], wma)

        def mp3(name, version, frames, v1=0, drop_v2=False):
            path = os.path.join(tmp, name)
            shutil.copy(plain, path)
            tags = ID3()
            for f in frames:
                tags.add(f)
            tags.save(path, v2_version=version, v1=v1)
            if drop_v2:
                mutagen.id3.delete(path, delete_v1=False, delete_v2=True)
            return path

        files = [
            mp3("v23_utf16.mp3", 3, [TPE1(encoding=Encoding.UTF16, text=["歌う人"]),
                                     TIT2(encoding=Encoding.UTF16, text=["星に願いを"])]),
            mp3("v23_latin.mp3", 3, [TIT2(encoding=Encoding.LATIN1, text=["Moonlight"]),
                                     TPE1(encoding=Encoding.LATIN1, text=["Someone"])]),
            mp3("v24_utf8_pic.mp3", 4, [APIC(encoding=Encoding.UTF8, mime="image/png", type=3, desc="",
                                             data=b"\x89PNG" + bytes(400)),
                                        TIT2(encoding=Encoding.UTF8, text=["月の光"]),
                                        TPE1(encoding=Encoding.UTF8, text=["作曲者"])]),
            mp3("v24_utf16be.mp3", 4, [TIT2(encoding=Encoding.UTF16BE, text=["子守歌"])]),
            mp3("v1_only.mp3", 3, [TIT2(encoding=Encoding.LATIN1, text=["Old Tag"]),
                                   TPE1(encoding=Encoding.LATIN1, text=["Old Artist"])], v1=2, drop_v2=True),
        ]
        for path in files:
            checked += 1
            tags = ID3(path) if not path.endswith("v1_only.mp3") else None
            if tags is None:
                # ID3v1 read back by mutagen as well.
                from mutagen.mp3 import MP3
                t = MP3(path).tags
                want_title, want_artist = t["TIT2"].text[0], t["TPE1"].text[0]
            else:
                want_title = tags["TIT2"].text[0] if "TIT2" in tags else ""
                want_artist = tags["TPE1"].text[0] if "TPE1" in tags else ""
            rc, lines = run(cli, path, "--long")
            if rc != 0 or lines[0] != want_title or lines[1] != want_artist:
                failures.append(f"{os.path.basename(path)}: got {lines[:2]!r}, want {[want_title, want_artist]!r}")
            rc, lines = run(cli, path)
            if rc != 0 or lines[0] != want_title or lines[1] != "":
                failures.append(f"{os.path.basename(path)} short: got {lines[:2]!r}")

        w = ASF(wma)
        w["Title"] = "冬の歌"
        w["Author"] = "作者 Name"
        w.save()
        w = ASF(wma)
        checked += 1
        rc, lines = run(cli, wma, "--long")
        want = [str(w["Title"][0]), str(w["Author"][0])]
        if rc != 0 or lines[:2] != want:
            failures.append(f"wma: got {lines[:2]!r}, want {want!r}")
        files.append(wma)

        midis = sorted(glob.glob("/usr/share/games/openttd/baseset/openmsx/*.mid"))[:20]
        for path in midis:
            with open(path, "rb") as f:
                data = f.read()
            try:
                want = midi_reference(data)
            except IndexError:
                continue
            if want is None:
                continue
            checked += 1
            rc, lines = run(cli, path)
            if rc != 0 or lines[0] != want:
                failures.append(f"{os.path.basename(path)}: got {lines[0]!r}, want {want!r}")
        files += midis[:3]

        # Cut short anywhere: never a crash.
        for path in files:
            with open(path, "rb") as f:
                data = f.read()
            ext = os.path.splitext(path)[1]
            cut = os.path.join(tmp, "cut" + ext)
            points = sorted(set(list(range(0, min(len(data), 1200), 17)) + [len(data) - k for k in range(0, 200, 9)]))
            for n in points:
                if n < 0:
                    continue
                with open(cut, "wb") as f:
                    f.write(data[:n])
                run(cli, cut, "--long")
                run(cli, cut, "--display")
    finally:
        shutil.rmtree(tmp)

    for f in failures:
        print("FAIL", f)
    print(f"{checked - len(failures)} passed, {len(failures)} failed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
