// The search service's reading of requests and of the downloader's output, and its short
// links: what reaches the application's page building must be one result a line.
#include <gtest/gtest.h>

#include <algorithm>

#include "app/service/http_text.h"
#include "app/service/search_answer.h"
#include "app/service/short_links.h"
#include "platform/text/text_kit.h"

namespace {

TEST(SearchRequest, TextCountAndWhatTheAddressCarries) {
  SearchAnswer::Request r = SearchAnswer::ParseQuery("q=tom+jobim&limite=40");
  EXPECT_EQ(r.text, "tom jobim");
  EXPECT_EQ(r.limit, 40);
  // An "&" or "&limite=" typed in the search stays in the text: the count is the last one.
  r = SearchAnswer::ParseQuery("q=tom+&+jerry&limite=oops&limite=20");
  EXPECT_EQ(r.text, "tom & jerry&limite=oops");
  EXPECT_EQ(r.limit, 20);
  // Escapes, UTF-8 and Windows-1252 bytes all arrive as UTF-8.
  EXPECT_EQ(SearchAnswer::ParseQuery("q=caf%C3%A9&limite=5").text, "caf\xC3\xA9");
  EXPECT_EQ(SearchAnswer::ParseQuery("q=caf%E9&limite=5").text, "caf\xC3\xA9");
  EXPECT_EQ(SearchAnswer::ParseQuery("q=a%2Bb%25&limite=5").text, "a+b%");
  // Counts outside 1..1000 or not numbers; a missing text; the other order of the pairs.
  EXPECT_EQ(SearchAnswer::ParseQuery("q=x&limite=0").limit, 20);
  EXPECT_EQ(SearchAnswer::ParseQuery("q=x&limite=99999999999").limit, 20);
  EXPECT_EQ(SearchAnswer::ParseQuery("q=x&limite=5000").limit, 1000);
  EXPECT_EQ(SearchAnswer::ParseQuery("q=x").limit, 20);
  EXPECT_EQ(SearchAnswer::ParseQuery("q=+++&limite=3").text, "");
  EXPECT_EQ(SearchAnswer::ParseQuery("").text, "");
  r = SearchAnswer::ParseQuery("limite=7&q=abc");
  EXPECT_EQ(r.text, "abc");
  EXPECT_EQ(r.limit, 7);
  // Control characters never reach the downloader's command line.
  EXPECT_EQ(SearchAnswer::ParseQuery("q=a%0Ab%00c&limite=1").text, "a b c");
}

TEST(SearchRequest, DownloaderSearchesThatManyResults) {
  const auto args = SearchAnswer::DownloaderArguments({"tom jobim", 40});
  ASSERT_FALSE(args.empty());
  EXPECT_EQ(args.back(), "ytsearch40:tom jobim");
  EXPECT_EQ(args[args.size() - 2], "--");
  EXPECT_EQ(args[args.size() - 3], "%(title)s\\%(id)s\\%(duration_string|AO VIVO)s\\%(channel,uploader|)s");
}

TEST(SearchRequest, PlaylistsAndChannelsAreListedNotSearched) {
  EXPECT_EQ(SearchAnswer::ListAddress("@tomjobim"), "https://www.youtube.com/@tomjobim/videos");
  EXPECT_EQ(SearchAnswer::ListAddress("https://www.youtube.com/playlist?list=PL123"),
            "https://www.youtube.com/playlist?list=PL123");
  EXPECT_EQ(SearchAnswer::ListAddress("https://youtube.com/@canal/videos"), "https://youtube.com/@canal/videos");
  EXPECT_EQ(SearchAnswer::ListAddress("https://www.youtube.com/channel/UCabc"), "https://www.youtube.com/channel/UCabc");
  // A search, a video, another site, an option or spaces are no list.
  for (const char* text : {"tom jobim", "@", "@a b", "@a;rm", "https://www.youtube.com/watch?v=abcdefghijk&list=PL1",
                           "https://example.com/@x", "--exec=x", "https://www.youtube.com/@a b", "http://youtube.com.evil/@a"})
    EXPECT_EQ(SearchAnswer::ListAddress(text), "") << text;
  const auto args = SearchAnswer::DownloaderArguments({"@tomjobim", 60});
  ASSERT_GE(args.size(), 3u);
  EXPECT_EQ(args.back(), "https://www.youtube.com/@tomjobim/videos");
  EXPECT_EQ(args[args.size() - 2], "--");
  const auto end = std::find(args.begin(), args.end(), "--playlist-end");
  ASSERT_NE(end, args.end());
  EXPECT_EQ(*(end + 1), "60");
  EXPECT_NE(std::find(args.begin(), args.end(), "playlist:FONIX-LISTA %(title)s"), args.end());
}

TEST(SearchAnswer, WellFormedLinesPassUnchanged) {
  const std::string out = "Garota de Ipanema\\abcdefghijk\\3:25\\Tom Jobim\nAo vivo\\ABCDEFGHIJ_\\AO VIVO\\\n";
  EXPECT_EQ(SearchAnswer::FromDownloaderOutput(out),
            "Garota de Ipanema\\abcdefghijk\\3:25\\Tom Jobim\nAo vivo\\ABCDEFGHIJ_\\AO VIVO\\\n");
}

TEST(SearchAnswer, BackslashesArrowsAndLineBreaksAreMended) {
  // The identifier and the duration tell where the title ends.
  EXPECT_EQ(SearchAnswer::FromDownloaderOutput("a\\b > c\\x1-y2_z3w4Q\\1:02:03\\Canal \\o/\r\n"),
            "a/b \xE2\x80\xBA c\\x1-y2_z3w4Q\\1:02:03\\Canal /o/\n");
  // A title broken over two lines is one result.
  EXPECT_EQ(SearchAnswer::FromDownloaderOutput("Primeira parte\nsegunda\\abcdefghijk\\0:59\\Autor\n"),
            "Primeira parte segunda\\abcdefghijk\\0:59\\Autor\n");
  // A tab inside a field becomes a space.
  EXPECT_EQ(SearchAnswer::FromDownloaderOutput("a\tb\\abcdefghijk\\1:00\\c\n"), "a b\\abcdefghijk\\1:00\\c\n");
}

TEST(SearchAnswer, EmojiAndOtherEncodingsBecomeReadableUtf8) {
  // A four-byte character (an emoji) becomes "?", so that the application's UTF-8 decoding
  // never meets a sequence it cannot read; Windows-1252 bytes are read as such.
  EXPECT_EQ(SearchAnswer::FromDownloaderOutput("Festa \xF0\x9F\x8E\x89\\abcdefghijk\\2:00\\Jos\xE9\n"),
            "Festa ?\\abcdefghijk\\2:00\\Jos\xC3\xA9\n");
  EXPECT_EQ(SearchAnswer::CleanField("\xE2\x82\xAC 5"), "\xE2\x82\xAC 5");
}

TEST(SearchAnswer, GarbageAndMalformedLinesAreLeftOut) {
  EXPECT_EQ(SearchAnswer::FromDownloaderOutput(""), "");
  EXPECT_EQ(SearchAnswer::FromDownloaderOutput("ERROR: no network\nTraceback (most recent call last):\n"), "");
  EXPECT_EQ(SearchAnswer::FromDownloaderOutput("only\\three\\fields\nt\\short\\1:00\\a\n"), "");
  // A piece without fields is not glued to a later, unrelated result forever.
  std::string out;
  for (int i = 0; i < 10; ++i) out += "noise line\n";
  out += "Certo\\abcdefghijk\\1:00\\Autor\n";
  EXPECT_EQ(SearchAnswer::FromDownloaderOutput(out), "Certo\\abcdefghijk\\1:00\\Autor\n");
  std::string binary("\x00\x01\xFF\\abcdefghijk\\1:00\\\x80\n", 23);
  EXPECT_EQ(SearchAnswer::FromDownloaderOutput(binary), "\xC3\xBF\\abcdefghijk\\1:00\\\xE2\x82\xAC\n");
}

TEST(SearchAnswer, PlaylistNameComesFirstMarked) {
  EXPECT_EQ(SearchAnswer::FromDownloaderOutput("Um\\abcdefghijk\\1:00\\A\nFONIX-LISTA Lista \\ boa\n"),
            "\\\\lista\\Lista / boa\nUm\\abcdefghijk\\1:00\\A\n");
}

SearchAnswer::Outcome Ran(int status, std::string errors) {
  SearchAnswer::Outcome o;
  o.started = true;
  o.exitStatus = status;
  o.errors = std::move(errors);
  return o;
}

TEST(DownloaderFailure, EachCauseHasItsKind) {
  using SearchAnswer::Failure;
  SearchAnswer::Outcome missing;
  missing.found = false;
  EXPECT_EQ(SearchAnswer::Classify(missing), Failure::kMissing);
  SearchAnswer::Outcome notRun;
  EXPECT_EQ(SearchAnswer::Classify(notRun), Failure::kMissing);
  EXPECT_EQ(SearchAnswer::Classify(Ran(126, "sh: Exec format error")), Failure::kMissing);
  SearchAnswer::Outcome slow = Ran(-1, "");
  slow.timedOut = true;
  EXPECT_EQ(SearchAnswer::Classify(slow), Failure::kTimeOut);
  EXPECT_EQ(SearchAnswer::Classify(Ran(1, "ERROR: [youtube] x: Unable to download API page: <urlopen error [Errno -3] "
                                          "Temporary failure in name resolution> (caused by ...)\n")),
            Failure::kNetwork);
  EXPECT_EQ(SearchAnswer::Classify(Ran(1, "ERROR: ... [Errno 111] Connection refused\n")), Failure::kNetwork);
  EXPECT_EQ(SearchAnswer::Classify(Ran(1, "ERROR: [youtube] abc: Sign in to confirm you're not a bot\n")),
            Failure::kDownloader);
  EXPECT_EQ(SearchAnswer::Classify(Ran(0, "")), Failure::kNone);
  EXPECT_EQ(SearchAnswer::Classify(Ran(0, "WARNING: slow\n")), Failure::kNone);
}

TEST(DownloaderFailure, LastErrorLineAsOneSentence) {
  EXPECT_EQ(SearchAnswer::ShortError("WARNING: a\nERROR: [youtube] abcdefghijk: Sign in to confirm your age. This video "
                                     "may be inappropriate\nTraceback\n"),
            "Sign in to confirm your age");
  EXPECT_EQ(SearchAnswer::ShortError("ERROR: [youtube:tab] @x: This channel does not exist.\n"),
            "This channel does not exist");
  EXPECT_EQ(SearchAnswer::ShortError("only line\r\n"), "only line");
  EXPECT_EQ(SearchAnswer::ShortError(""), "");
  // Long lines stop at a word within 150 characters; addresses keep their dots.
  const std::string shortened = SearchAnswer::ShortError("ERROR: see https://a.b/c " + std::string(300, 'x') + " y");
  EXPECT_LE(shortened.size(), 150u);
  EXPECT_EQ(shortened.find("see https://a.b/c xxx"), 0u);
  EXPECT_EQ(SearchAnswer::ShortError("ERROR: " + std::string(100, 'a') + " " + std::string(100, 'b')), std::string(100, 'a'));
  // Bad bytes, backslashes and line breaks never reach the answer's line.
  EXPECT_EQ(SearchAnswer::ShortError("ERROR: a\\b\x01" "c \xE9"), "a/b c \xC3\xA9");
}

TEST(DownloaderFailure, AnswerHoldsResultsOrTheMarkedReason) {
  const std::string result = "Um\\abcdefghijk\\1:00\\A\n";
  EXPECT_EQ(SearchAnswer::Answer(Ran(1, "ERROR: late\n"), result), result);
  EXPECT_EQ(SearchAnswer::Answer(Ran(1, "ERROR: [youtube] x: Video unavailable\n"), ""),
            "\\\\erro\\baixador\\Video unavailable\n");
  EXPECT_EQ(SearchAnswer::Answer(Ran(1, "ERROR: Temporary failure in name resolution\n"), ""),
            "\\\\erro\\rede\\Temporary failure in name resolution\n");
  SearchAnswer::Outcome missing;
  missing.found = false;
  EXPECT_EQ(SearchAnswer::Answer(missing, ""), "\\\\erro\\ausente\\\n");
  EXPECT_EQ(SearchAnswer::Answer(Ran(0, ""), ""), "");
  // A playlist whose videos could not be listed: its name, then why.
  EXPECT_EQ(SearchAnswer::Answer(Ran(1, "ERROR: gone\n"), "FONIX-LISTA L\n"),
            "\\\\lista\\L\n\\\\erro\\baixador\\gone\n");
}

TEST(ShortLinks, KeptUnderTheirNumbersUpToTheCapacity) {
  ShortLinks::Reset();
  const long first = ShortLinks::Add("http://a/1");
  const long second = ShortLinks::Add("http://a/2");
  EXPECT_EQ(ShortLinks::Find(std::to_string(first)), "http://a/1");
  EXPECT_EQ(ShortLinks::Find(std::to_string(second)), "http://a/2");
  EXPECT_EQ(ShortLinks::Find("999"), "");
  EXPECT_EQ(ShortLinks::Find("1x"), "");
  EXPECT_EQ(ShortLinks::Find(""), "");
  for (std::size_t i = 0; i < ShortLinks::kCapacity; ++i) ShortLinks::Add("http://b");
  EXPECT_EQ(ShortLinks::Find(std::to_string(first)), "");  // the oldest went first
  ShortLinks::Reset();
}

TEST(HttpText, DecodingAndEncodingRoundTrip) {
  EXPECT_EQ(HttpText::PercentDecode("a%20b+c%zz%4", false), "a b+c%zz%4");
  EXPECT_EQ(HttpText::PercentDecode("a+b", true), "a b");
  const std::string address = "https://h/v?x=1&y=\xC3\xA9 z";
  EXPECT_EQ(HttpText::PercentDecode(TextKit::PercentEncode(address), false), address);
  EXPECT_EQ(HttpText::QueryValue("source=index&url=abc&alias=", "url"), "abc");
  EXPECT_EQ(HttpText::QueryValue("xurl=1&url=2", "url"), "2");
  EXPECT_EQ(HttpText::QueryValue("a=1", "url"), "");
  std::string path, query;
  HttpText::SplitTarget("/l/3?x", path, query);
  EXPECT_EQ(path, "/l/3");
  EXPECT_EQ(query, "x");
}

}  // namespace
