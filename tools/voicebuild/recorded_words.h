// The list of spoken files of the letters folder: which name says which text. Characters
// and number words come from the engine's own tables; the other words from the data files.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "tools/voicebuild/word_table.h"
#include "tts/number_words.h"

namespace RecordedWords {

struct Word {
  std::string name;  // file name without ".wav", as the speech parts ask for it
  std::string text;  // what is said, UTF-8
};

// "_65" … for the codes a character can be said for (0, 12, 32..255): the character's name,
// or the text the extra table gives for that code (codes the names table leaves empty).
// False with a message when a code is left with nothing to say.
bool CharacterWords(const std::vector<WordTable::Row>& extra, std::vector<Word>& out, std::string& error);

// The file name under which a number word (Windows-1252) is recorded: "quatrocentos" is
// "_quatroc", "milhões" is "_milhoes", "dezessete" is "_dezeset".
std::string NumberFileName(std::string_view word);

// The cardinal tables of the recorded words: the engine's, but "tres" and "cinquenta"
// written without their accents, as their files are named.
const Sonora::NumberTables& RecordedNumberTables();

// Every word the cardinal numbers are made of, once each, said as the engine writes it.
std::vector<Word> NumberWords();

// "_FON65" and "_FON97" saying the text of the row of letter A ("á de amor"), and so on;
// false with a message unless the rows name each letter A..Z once.
bool SpellingWords(const std::vector<WordTable::Row>& letters, std::vector<Word>& out, std::string& error);

// Adds the rows of a words table ("_hora", "hora"); a row whose name is already in the list
// (letters compared without case) replaces that entry's text, so pronunciation fixes for
// derived words live in the same table.
void AddWords(const std::vector<WordTable::Row>& rows, std::vector<Word>& out);

}  // namespace RecordedWords
