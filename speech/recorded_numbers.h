// Numbers, times and dates said with recorded words of the letters folder.
#pragma once

#include <string>

namespace Speech {

// The words of a number, with the plain spellings the word files are named by.
std::string NumberWords(long long value);
// Plays the file of each blank-separated word, joined into one sound; with `feminine`
// the last "um" and "dois" become "uma" and "duas".
void SayNumberWords(const std::string& words, bool feminine);
void SayTime(int hours, int minutes);
void SayCurrentTime();
void SayDate(int day, int month, int year);
void SayToday();

}  // namespace Speech
