#!/bin/bash
# The video site lies off this machine: this stands for the downloader at
# c:\clipora-light\youtube-dl.exe and answers from the test's fixtures ($FAKE_DIR). Every
# call is logged one line each, its arguments separated by " | ".
log="$FAKE_DIR/downloader.log"
( IFS='|'; printf '%s\n' "$*" ) >> "$log"
[ -f "$FAKE_DIR/fails" ] && { echo "ERROR: [youtube] nada feito" >&2; exit 1; }
case " $* " in
  *" --version "*) cat "$FAKE_DIR/version" 2>/dev/null || echo 2023.03.04; exit 0 ;;
esac
search="" url="" out="" json=0 title=0 stream=0
while [ $# -gt 0 ]; do
  case "$1" in
    ytsearch*) search=$1 ;;
    -j) json=1 ;;
    -e) title=1 ;;
    -g) stream=1 ;;
    -o) out=$2; shift ;;
    -f|--print) shift ;;
    http*) url=$1 ;;
  esac
  shift
done
id=${url##*v=}
if [ -n "$search" ]; then
  n=${search#ytsearch}; n=${n%%:*}; q=${search#*:}
  total=$(cat "$FAKE_DIR/total" 2>/dev/null || echo 45)
  for ((i = 1; i <= n && i <= total; i++)); do
    printf 'Resultado %d de %s\\vid%08d\\%d:%02d\\Canal %d\n' "$i" "$q" "$i" $((i % 7)) $((i % 60)) "$i"
  done
  exit 0
fi
if [ "$json" = 1 ]; then cat "$FAKE_DIR/video.json"; exit 0; fi
if [ "$title" = 1 ]; then
  printf 'T\303\255tulo do v\303\255deo %s\n' "$id"
  [ "$stream" = 1 ] && printf 'https://stream.invalid/%s.mp4\n' "$id"
  exit 0
fi
if [ -n "$out" ]; then
  for p in 10.0 55.5 100.0; do
    printf '[download] %5s%% of 1.00MiB at 512.00KiB/s ETA 00:02\r' "$p"
    sleep "${FAKE_STEP:-0.4}"
  done
  printf '\n'
  [ -f "$FAKE_DIR/no-file" ] || cp "$FAKE_DIR/video.mp4" "$out"
  exit 0
fi
echo "ERROR: argumentos inesperados" >&2
exit 2
