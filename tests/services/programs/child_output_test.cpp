// The shape of a child's output as a script reads it: line ends, text encoding, the zero
// byte, pieces of 65 535 bytes and the bound on what is kept unread.
#include <gtest/gtest.h>

#include "services/child_output.h"

namespace {

using ChildOutput::Stream;

std::string Convert(std::initializer_list<std::string_view> pieces) {
  Stream s;
  for (std::string_view piece : pieces) ChildOutput::Append(s, piece);
  ChildOutput::Finish(s);
  return s.kept;
}

TEST(ChildOutput, LinuxLineEndsReadAsWindowsOnes) {
  EXPECT_EQ(Convert({"1.0\n"}), "1.0\r\n");
  EXPECT_EQ(Convert({"a\r\nb\n\nc"}), "a\r\nb\r\n\r\nc");  // CR LF stays as it is
  EXPECT_EQ(Convert({"a\r", "\nb"}), "a\r\nb");            // also when split between reads
  EXPECT_EQ(Convert({"a\r", "b\n"}), "a\rb\r\n");          // a lone CR (progress lines) stays
  EXPECT_EQ(Convert({"\n", "\n"}), "\r\n\r\n");
}

TEST(ChildOutput, Utf8BecomesWindows1252) {
  EXPECT_EQ(Convert({"ação €"}), "a\xe7\xe3o \x80");
  // A sequence split between reads, at every place.
  const std::string text = "não é só";
  for (std::size_t cut = 0; cut <= text.size(); ++cut)
    EXPECT_EQ(Convert({std::string_view(text).substr(0, cut), std::string_view(text).substr(cut)}), "n\xe3o \xe9 s\xf3")
        << cut;
  // Characters Windows-1252 lacks become "?"; bytes that are no UTF-8 are taken as they are.
  EXPECT_EQ(Convert({"\xe2\x86\x92 x"}), "? x");
  EXPECT_EQ(Convert({"caf\xe9\n"}), "caf\xe9\r\n");
  EXPECT_EQ(Convert({"\xc3"}), "\xc3");  // the output ended inside a sequence
  EXPECT_EQ(Convert({"\xc3", "x"}), "\xc3x");
}

TEST(ChildOutput, ReadShape) {
  // Output, separator, the (empty) error text and the final line end.
  EXPECT_EQ(ChildOutput::Combine("1.0\r\n", ""), "1.0\r\n\r\n\r\n");
  EXPECT_EQ(ChildOutput::Combine("", "falhou\r\n"), "falhou\r\n\r\n");
  EXPECT_EQ(ChildOutput::Combine("a", "b"), "a\r\nb\r\n");
  EXPECT_EQ(ChildOutput::Combine("", ""), "");
}

TEST(ChildOutput, PiecesEndAtAZeroByte) {
  Stream s;
  ChildOutput::Append(s, std::string_view("antes\0depois", 12));
  EXPECT_EQ(ChildOutput::Take(s), "antes");
  EXPECT_EQ(ChildOutput::Take(s), "");  // the rest of the piece went with it
  ChildOutput::Append(s, std::string(70000, 'x'));
  EXPECT_EQ(ChildOutput::Take(s).size(), ChildOutput::kReadPiece);
  EXPECT_EQ(ChildOutput::Take(s).size(), 70000 - ChildOutput::kReadPiece);
  EXPECT_EQ(ChildOutput::Take(s), "");
}

TEST(ChildOutput, UnreadOutputKeepsTheNewest) {
  Stream s;
  const std::string block(64 * 1024, 'a');
  for (int i = 0; i < 100; ++i) ChildOutput::Append(s, block);
  ChildOutput::Append(s, "fim");
  EXPECT_LE(s.kept.size(), 2 * ChildOutput::kKeptBytes);
  EXPECT_GE(s.kept.size(), ChildOutput::kKeptBytes);
  EXPECT_EQ(s.kept.size() + s.dropped, 100 * block.size() + 3);
  EXPECT_TRUE(s.kept.ends_with("afim"));
}

}  // namespace
