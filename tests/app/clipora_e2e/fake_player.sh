#!/bin/sh
# A player that records what it was asked to play, one call a line, and exactly in
# player.argv: the argument count on a line, then each argument and a zero byte.
printf '%s\n' "$*" >> "$FAKE_DIR/player.log"
{ echo $#; printf '%s\0' "$@"; } >> "$FAKE_DIR/player.argv"
