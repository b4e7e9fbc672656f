// The eleven sounds of the Clipora-light application: short tuned cues for what happens
// (results ready, work started, work finished, download started) and voiced prompts that
// say what the screen is waiting for, each recorded with eSpeak NG at build time.
#pragma once

#include <string>
#include <vector>

namespace AppSounds {

// One note of a cue: frequency in hertz and length in milliseconds; 0 Hz is a rest.
struct Note {
  int hz;
  int ms;
};

// One file of the sounds folder: its name, the notes played first and the words said after
// them (either may be empty, not both), and the pace of the words: a prompt said while the
// user waits for an answer is quicker than a greeting or a question.
struct Sound {
  std::string file;
  std::vector<Note> cue;
  std::string words;  // UTF-8
  int wordsPerMinute = 190;
};

// The table of the eleven files.
const std::vector<Sound>& Table();

// A cue at `rate`: each note a soft bell (a fundamental and two overtones, struck and dying
// away), full scale ±1 at most, starting and ending in silence.
std::vector<float> Cue(const std::vector<Note>& notes, int rate);

}  // namespace AppSounds
