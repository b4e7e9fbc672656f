#!/bin/sh
# A player that records what it was asked to play, one call a line.
printf '%s\n' "$*" >> "$FAKE_DIR/player.log"
