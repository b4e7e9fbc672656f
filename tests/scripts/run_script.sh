#!/usr/bin/env bash
# Runs one script test: fonix headless with the keys and arguments named in the script's
# header comments; compares the transcript, the screen (when expected) and the exit status.
set -u
fonix=$1
script=$2
base=${script%.fnx}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

header() { sed -n "s/^\* $1: //p" "$script" | head -n 1; }
keys=$(header keys)
args=$(header args)
want_exit=$(header exit)
want_exit=${want_exit:-0}

# No test plays aloud on a machine with a sound card: the instant device, which does not wait
# at the pace of speech, or the null device, which does (FONIX_SCRIPT_AUDIO=null).
export FONIX_CONSOLE=headless FONIX_AUDIO="${FONIX_SCRIPT_AUDIO:-instant}" FONIX_KEYS="$keys" FONIX_TRANSCRIPT="$work/transcript" FONIX_SCREEN="$work/screen"
export FONIX_DRIVE_C="$work/c" XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data" HOME="$work"
cd "$work"
# shellcheck disable=SC2086
timeout 60 "$fonix" "$script" $args >"$work/stdout" 2>"$work/stderr"
status=$?

failed=0
if [ "$status" != "$want_exit" ]; then
  echo "exit status $status, expected $want_exit"; cat "$work/stderr"; failed=1
fi
# Only the kinds of event the expected transcript shows are compared, so that a test of the
# interpreter does not also fix every sound the voice plays.
kinds=$(sed -e 's/:.*//' "$base.expected" | sort -u)
awk -v kinds="$kinds" 'BEGIN { n = split(kinds, k, "\n"); for (i = 1; i <= n; i++) want[k[i]] = 1 }
  { kind = $0; sub(/:.*/, "", kind); if (kind in want) print }' "$work/transcript" >"$work/compared"
if ! diff -u "$base.expected" "$work/compared"; then failed=1; fi
if [ -f "$base.screen" ] && ! diff -u "$base.screen" <(sed -e :a -e '/^\n*$/{$d;N;ba' -e '}' "$work/screen"); then
  failed=1
fi
exit $failed
