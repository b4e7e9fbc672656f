// The words the built-in voice says numbers with: where "e" goes between the groups, the
// thousand without "um", and the word files every reading needs.
#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "speech/number_reading.h"

namespace {

using Speech::CardinalNumberWords;

TEST(NumberReading, TheConjunctionJoinsALastGroupBelowAHundredOrAWholeHundred) {
  const std::vector<std::pair<uint64_t, const char*>> cases = {
      {1001, "mil e um"},
      {1050, "mil e cinquenta"},
      {1100, "mil e cem"},
      {1200, "mil e duzentos"},
      {1234, "mil duzentos e trinta e quatro"},
      {1998, "mil novecentos e noventa e oito"},
      {2024, "dois mil e vinte e quatro"},
      {2101, "dois mil cento e um"},
      {123456, "cento e vinte e tres mil quatrocentos e cinquenta e seis"},
      {200300, "duzentos mil e trezentos"},
      {1200000, "um milhao e duzentos mil"},
      {1234000, "um milhao duzentos e trinta e quatro mil"},
      {2000100, "dois milhoes e cem"},
      {2000150, "dois milhoes cento e cinquenta"},
      {1001234, "um milhao mil duzentos e trinta e quatro"},
      {1001000, "um milhao e mil"},
      {3000000005, "tres bilhoes e cinco"},
  };
  for (const auto& [value, words] : cases) EXPECT_EQ(CardinalNumberWords(value), words) << value;
}

TEST(NumberReading, GroupsAloneAndInside) {
  const std::vector<std::pair<uint64_t, const char*>> cases = {
      {0, "zero"},           {7, "sete"},           {17, "dezessete"},       {21, "vinte e um"},
      {100, "cem"},          {101, "cento e um"},   {110, "cento e dez"},    {999, "novecentos e noventa e nove"},
      {1000, "mil"},         {2000, "dois mil"},    {100000, "cem mil"},     {1000000, "um milhao"},
      {2000000, "dois milhoes"}, {1000000000000, "um trilhao"}, {2000000000000, "dois trilhoes"},
  };
  for (const auto& [value, words] : cases) EXPECT_EQ(CardinalNumberWords(value), words) << value;
  // Past the trillions there is no group name: digit by digit.
  EXPECT_EQ(CardinalNumberWords(1000000000000000ULL), "um zero zero zero zero zero zero zero zero zero zero zero zero zero zero zero");
}

}  // namespace
