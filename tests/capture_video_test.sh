#!/usr/bin/env bash
# vorn-capture writing .mkv and .mp4 files, read back with ffprobe/ffmpeg.
# Usage: capture_video_test.sh <vorn-capture>
set -u
cap=$1
fail() { echo "FAIL: $*"; exit 1; }
command -v ffprobe > /dev/null || fail "ffprobe missing (bash scripts/install-deps.sh test)"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"

# One value per line for the entries asked, of the streams selected.
probe() { ffprobe -v error -select_streams "$2" -show_entries "$3" -of default=nw=1:nk=1 "$1" | tr '\n' ' '; }
rgb() { ffmpeg -v error "$@" -f rawvideo -pix_fmt rgb24 -; }

# Ten seconds, lossless.
"$cap" --from 0 --to 10000 --fps 60 --out v.mkv > /dev/null || fail "mkv capture"
[ "$(probe v.mkv v:0 stream=codec_name,r_frame_rate)" = "ffv1 60/1 " ] || fail "video $(probe v.mkv v:0 stream)"
[ "$(probe v.mkv a:0 stream=codec_name,sample_fmt,sample_rate,channels)" = "flac s16 44100 2 " ] ||
  fail "sound $(probe v.mkv a:0 stream=codec_name,sample_fmt,sample_rate,channels)"
[ "$(probe v.mkv a:0 format=duration)" = "10.000000 " ] || fail "duration $(probe v.mkv a:0 format=duration)"
# One decoding of the whole file: the sound, and the frames counted, the
# first second kept and the frames at 1000, 5000 and 9950 ms set apart.
ffmpeg -v error -i v.mkv -map 0:a -f s16le snd.raw -map 0:v -f rawvideo -pix_fmt rgb24 - |
  python3 -c '
import sys
size, n, first = 320 * 240 * 3, 0, open("dec-first.rgb", "wb")
while True:
    frame = sys.stdin.buffer.read(size)
    if len(frame) < size:
        break
    if n < 60:
        first.write(frame)
    if n in (60, 300, 597):
        open("dec%d.rgb" % n, "wb").write(frame)
    n += 1
print(n if not frame else "a cut frame after %d" % n)' > count.txt || fail "decoding"
[ "$(cat count.txt)" = 600 ] || fail "frames: $(cat count.txt)"
[ "$(stat -c %s snd.raw)" -eq $((441000 * 4)) ] || fail "sound length $(stat -c %s snd.raw)"

# Frames at three times as --at shows them, byte for byte.
for t in 1000 5000 9950; do
  "$cap" --at "$t" --out "at$t.bmp" > /dev/null || fail "--at $t"
  rgb -i "at$t.bmp" | cmp -s - "dec$((t * 60 / 1000)).rgb" || fail "frame at $t differs from --at $t"
done

# The first second against a range capture: every frame and every sample.
"$cap" --from 0 --to 1000 --fps 60 --out r > /dev/null || fail "range capture"
rgb -i r/frame_%06d.bmp > range.rgb
cmp -s dec-first.rgb range.rgb || fail "frames differ from the range's BMP files"
tail -c +45 r/audio.wav | cmp -s - <(head -c $((44100 * 4)) snd.raw) || fail "sound differs from the range's WAV"

# For players and sites: H.264 + AAC, the handheld around the picture, doubled.
"$cap" --from 30000 --to 32000 --fps 30 --window --scale 2 --out w.mp4 > /dev/null || fail "mp4 capture"
[ "$(probe w.mp4 v:0 stream=codec_name,width,height,pix_fmt,r_frame_rate)" = "h264 1320 760 yuv420p 30/1 " ] ||
  fail "video $(probe w.mp4 v:0 stream)"
[ "$(probe w.mp4 a:0 stream=codec_name,sample_rate,channels)" = "aac 44100 2 " ] || fail "sound $(probe w.mp4 a:0 stream)"
d=$(probe w.mp4 v:0 format=duration)
[ "${d:0:4}" = "2.00" ] || fail "mp4 duration $d"

# --window and --scale on a BMP range: --at --window, each pixel 3 x 3.
"$cap" --from 30000 --to 30050 --fps 20 --window --scale 3 --out ws > /dev/null || fail "window range"
"$cap" --at 30000 --window --out win.bmp > /dev/null || fail "--at --window"
python3 - ws/frame_000000.bmp win.bmp << 'PY' || fail "scaled window frame"
import sys
big, one = (open(f, "rb").read()[54:] for f in sys.argv[1:])
line = 660 * 3
rows = [one[y:y + line] for y in range(0, len(one), line)]
grown = b"".join(b"".join(r[x:x + 3] * 3 for x in range(0, line, 3)) * 3 for r in rows)
sys.exit(grown != big)
PY

# Refusals, a full disk and an interruption leave no file behind.
"$cap" --from 0 --to 100 --fps 30 --out v.mkv > /dev/null 2>&1; [ $? -eq 2 ] || fail "existing file replaced"
"$cap" --at 100 --out x.mp4 > /dev/null 2>&1; [ $? -eq 2 ] || fail "--at into a video file"
"$cap" --from 0 --to 100 --fps 30 --scale 5 --out x.mp4 > /dev/null 2>&1; [ $? -eq 2 ] || fail "--scale 5"
( ulimit -f 200; trap '' XFSZ; "$cap" --from 0 --to 3000 --fps 60 --out full.mkv > /dev/null 2> err.txt ); rc=$?
[ $rc -eq 1 ] || fail "full disk: status $rc"
grep -q "disk full" err.txt || fail "no clear message: $(cat err.txt)"
"$cap" --from 0 --to 126000 --fps 60 --out int.mp4 > /dev/null 2>&1 & pid=$!
for i in $(seq 300); do [ -n "$(find . -name '.int.mp4.*' -size +1k)" ] && break; sleep 0.1; done
kill -TERM $pid
wait $pid; rc=$?
[ $rc -gt 128 ] || fail "interrupted capture: status $rc"
[ -z "$(ls -A | grep -e full -e int)" ] || fail "left behind: $(ls -A | grep -e full -e int)"
echo ok
