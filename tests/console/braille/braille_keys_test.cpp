// The display's key events: wheels and rocker keys, chords of dots with dots 7 and 8 and the
// space bar, Home and End, and what a chord of other keys gives.
#include <gtest/gtest.h>

#include "console/braille_keys.h"

namespace {

using BrailleKeys::BrailleKeyEvent;
using BrailleKeys::KeyCode;

KeyCode Chord(int keys) {
  EXPECT_EQ(BrailleKeyEvent(BrailleKeys::kKeys, keys << 8).character, -1);
  return BrailleKeyEvent(BrailleKeys::kKeys, BrailleKeys::kChordDone);
}

class BrailleKeysTest : public ::testing::Test {
 protected:
  void SetUp() override { BrailleKeys::ResetBrailleKeys(); }
};

TEST_F(BrailleKeysTest, WheelsAndRockerKeysMoveUpAndDown) {
  for (int v : {16, 64}) EXPECT_EQ(BrailleKeyEvent(3, v).extended, 72);
  for (int v : {32, 128}) EXPECT_EQ(BrailleKeyEvent(3, v).extended, 80);
  EXPECT_EQ(BrailleKeyEvent(3, 8).extended, 0);
  for (int v : {261, 6405}) EXPECT_EQ(BrailleKeyEvent(1, v).extended, 72);
  for (int v : {2309, 4357}) EXPECT_EQ(BrailleKeyEvent(1, v).extended, 80);
  EXPECT_EQ(BrailleKeyEvent(7, 1).character, '?');
}

TEST_F(BrailleKeysTest, ChordsGiveCharactersAndEditingKeys) {
  EXPECT_EQ(Chord(1).character, 'a');
  EXPECT_EQ(Chord(1 | 2 | 8).character, 'f');
  EXPECT_EQ(Chord(1 | 4 | 16 | 32).character, 'z');
  // The display's own entries: dots 3 the full stop, dots 1 5 6 the at sign.
  EXPECT_EQ(Chord(4).character, '.');
  EXPECT_EQ(Chord(1 | 16 | 32).character, '@');
  EXPECT_EQ(Chord(64).character, 8);
  EXPECT_EQ(Chord(128).character, 13);
  EXPECT_EQ(Chord(192).character, 27);
  EXPECT_EQ(Chord(BrailleKeys::kSpaceKey).character, ' ');
  // Space with dots: the control character (space + dots 1 2 5 is Ctrl+H).
  EXPECT_EQ(Chord(BrailleKeys::kSpaceKey | 1 | 2 | 16).character, 8);
  EXPECT_EQ(Chord(BrailleKeys::kSpaceKey | 1).character, 1);
  EXPECT_EQ(Chord(BrailleKeys::kHomeKey).extended, 71);
  EXPECT_EQ(Chord(BrailleKeys::kEndKey | 1).extended, 79);
  // Dots 7 or 8 with other dots, or other keys, give nothing.
  const KeyCode none = Chord(64 | 1);
  EXPECT_EQ(none.character, -1);
  EXPECT_EQ(none.extended, 0);
  EXPECT_EQ(Chord(1024).character, -1);
}

TEST_F(BrailleKeysTest, KeysGatherUntilTheChordEnds) {
  // Keys pressed one after the other form one chord; the release clears the accumulator.
  BrailleKeyEvent(1, 1 << 8);
  BrailleKeyEvent(1, 2 << 8);
  EXPECT_EQ(BrailleKeys::Accumulator(), 3);
  EXPECT_EQ(BrailleKeyEvent(1, BrailleKeys::kChordDone).character, 'b');
  EXPECT_EQ(BrailleKeys::Accumulator(), 0);
  const KeyCode nothing = BrailleKeyEvent(1, BrailleKeys::kChordDone);
  EXPECT_EQ(nothing.character, -1);
  EXPECT_EQ(nothing.extended, 0);
}

}  // namespace
