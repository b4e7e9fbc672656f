#!/bin/bash
# The video site lies off this machine: this stands for the downloader at
# c:\clipora-light\youtube-dl.exe and answers from the test's fixtures ($FAKE_DIR). Every
# call is logged one line each, its arguments separated by " | ", and exactly in
# downloader.argv: the argument count on a line, then each argument and a zero byte.
log="$FAKE_DIR/downloader.log"
( IFS='|'; printf '%s\n' "$*" ) >> "$log"
{ echo $#; printf '%s\0' "$@"; } >> "$FAKE_DIR/downloader.argv"
# A downloader that hangs (as one stuck on the network does), its process id kept.
if [ -f "$FAKE_DIR/hang" ] && [ "$*" != "--version" ]; then
  echo $$ >>"$FAKE_DIR/hang.pids"
  exec sleep 600
fi
case " $* " in
  *" --version "*) cat "$FAKE_DIR/version" 2>/dev/null || echo 2023.03.04; exit 0 ;;
esac
# "fails-video" makes every call but a search fail as "fails" does.
if [ -f "$FAKE_DIR/fails-video" ]; then
  case " $* " in *" ytsearch"*) ;; *) cp "$FAKE_DIR/fails-video" "$FAKE_DIR/fails" ;; esac
fi
# "fails" makes every call fail with its text as the error (a default one when it is empty).
if [ -f "$FAKE_DIR/fails" ]; then
  if [ -s "$FAKE_DIR/fails" ]; then cat "$FAKE_DIR/fails" >&2; else echo "ERROR: [youtube] nada feito" >&2; fi
  exit 1
fi
step() { printf '[download] %5s%% of 1.00MiB at 512.00KiB/s ETA 00:02\r' "$1"; }
# Waits (at most a minute) until the program's transcript holds the line given.
wait_for() {
  local i
  for ((i = 0; i < 600; i++)); do
    grep -qxF -- "$1" "$FONIX_TRANSCRIPT" 2>/dev/null && return
    sleep 0.1
  done
}
search="" url="" out="" json=0 title=0 stream=0 playlist_end=""
while [ $# -gt 0 ]; do
  case "$1" in
    ytsearch*) search=$1 ;;
    --playlist-end) playlist_end=$2; shift ;;
    -j) json=1 ;;
    -e) title=1 ;;
    -g) stream=1 ;;
    -o) out=$2; shift ;;
    -f|--print) shift ;;
    --) case "${2:-}" in ytsearch*) search=$2 ;; *) url=${2:-} ;; esac; break ;;
    http*) url=$1 ;;
  esac
  shift
done
id=${url##*v=}
# "fails-id" makes the calls for that one video fail, as a private video does.
if [ -n "$url" ] && [ "$id" = "$(cat "$FAKE_DIR/fails-id" 2>/dev/null)" ]; then
  echo "ERROR: [youtube] $id: Private video. Sign in if you've been granted access to this video" >&2
  exit 1
fi
if [ -n "$playlist_end" ]; then
  total=$(cat "$FAKE_DIR/total" 2>/dev/null || echo 45)
  for ((i = 1; i <= playlist_end && i <= total; i++)); do
    printf 'Faixa %d da lista\\lst%08d\\3:%02d\\Canal da lista\n' "$i" "$i" "$i"
  done
  echo "FONIX-LISTA Lista de teste: $url"
  exit 0
fi
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
  if [ "$stream" = 1 ]; then
    if [ -f "$FAKE_DIR/stream" ]; then cat "$FAKE_DIR/stream"; else printf 'https://stream.invalid/%s.mp4\n' "$id"; fi
  fi
  exit 0
fi
if [ -n "$out" ]; then
  if [ -n "${FAKE_SYNC:-}" ]; then
    # Paced by what the program says (its transcript): nothing until it has asked for Enter
    # again, then two steps, and the last once it has reported the second.
    wait_for "line: Aperte enter novamente."
    step 10.0; step 55.5
    wait_for "line: 55.5% de 1.00MiB velocidade 512.00KiB/s tempo estimado 00:02"
    step 100.0
  else
    for p in 10.0 55.5 100.0; do
      step "$p"
      sleep "${FAKE_STEP:-0.4}"
    done
  fi
  printf '\n'
  # "%%" in the output name is a "%", as the real downloader reads its name.
  [ -f "$FAKE_DIR/no-file" ] || cp "$FAKE_DIR/video.mp4" "${out//%%/%}"
  exit 0
fi
echo "ERROR: argumentos inesperados" >&2
exit 2
