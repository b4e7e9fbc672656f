// The encoding commands on the examples a user meets and on hostile input: Base64 of texts
// and files, quoted-printable, UTF-8 and the ANSI code page, and the in-place rule.
#include <signal.h>
#include <sys/resource.h>

#include <random>

#include "interpreter/encodings.h"
#include "tests/interpreter/files/files_fixture.h"

namespace {

class Encoding : public FilesTest {
 protected:
  // Sets $v to the bytes, runs the command on $v and gives back its bytes.
  std::string Convert(const std::string& command, const std::string& bytes) {
    Variables::SetVariable(Variables::VariableCodeForName("V"), bytes);
    EXPECT_TRUE(Do(command + " $v")) << command;
    return Variables::GetVariable(Variables::VariableCodeForName("V"));
  }
};

TEST_F(Encoding, Base64OfTexts) {
  EXPECT_EQ(Convert("codbase64", "abc"), "YWJj");
  EXPECT_EQ(Convert("codbase64", "ab"), "YWI=");
  EXPECT_EQ(Convert("codbase64", "a"), "YQ==");
  EXPECT_EQ(Convert("codbase64", ""), "");
  EXPECT_EQ(Convert("codbase64", std::string("\xFF\x00\xFE", 3)), "/wD+");
  EXPECT_EQ(Convert("decodbase64", "YW Jj"), "abc");
  EXPECT_EQ(Convert("decodbase64", "YWI="), "ab");
  EXPECT_EQ(Convert("decodbase64", "YWI"), "ab");      // a partial group gives its whole bytes
  EXPECT_EQ(Convert("decodbase64", "YWJjZ"), "abc");   // one character holds no byte
  EXPECT_EQ(Convert("decodbase64", "YW\r\nJj*!"), "abc");
  EXPECT_EQ(Convert("decodbase64", "YQ==YWJj"), "a");  // the first "=" ends it
  EXPECT_EQ(Convert("decodbase64", "=YWJj"), "");
  std::mt19937 random(7);
  for (int n = 0; n < 200; ++n) {
    std::string bytes(static_cast<std::size_t>(n), '\0');
    for (char& c : bytes) c = static_cast<char>(random());
    EXPECT_EQ(Encodings::Base64Decode(Encodings::Base64Encode(bytes)), bytes);
  }
}

TEST_F(Encoding, QuotedPrintable) {
  EXPECT_EQ(Convert("adquoted", "a=b"), "a=3Db");
  EXPECT_EQ(Convert("adquoted", "\xE9"), "=E9");
  EXPECT_EQ(Convert("adquoted", std::string("a b\r\n\t\x7F\x00~", 9)), "a b=0D=0A=09=7F=00~");
  EXPECT_EQ(Convert("removequoted", "caf=E9="), "caf\xE9");
  EXPECT_EQ(Convert("removequoted", "caf=e9"), "caf\xE9");
  EXPECT_EQ(Convert("removequoted", "=ZZ"), "=ZZ");
  EXPECT_EQ(Convert("removequoted", "a=\r\nb"), "a=\r\nb");  // soft breaks stay
  EXPECT_EQ(Convert("removequoted", "=4"), "=4");
  EXPECT_EQ(Convert("removequoted", "=3D41"), "=41");  // decoded once
  EXPECT_EQ(Convert("removequoted", "=="), "=");
  EXPECT_EQ(Convert("removequoted", "="), "");
  for (int b = 0; b < 256; ++b) {
    const std::string one(1, static_cast<char>(b));
    EXPECT_EQ(Encodings::QuotedDecode(Encodings::QuotedEncode(one + "x")), one + "x");
  }
}

TEST_F(Encoding, Utf8AndAnsi) {
  EXPECT_EQ(Convert("utf8paraansi", "\xC3\xA9"), "\xE9");
  EXPECT_EQ(Convert("utf8paraansi", "\xC3"), "");                     // ends inside a sequence
  EXPECT_EQ(Convert("utf8paraansi", "a\xC3(b"), "");                  // lead byte without its continuation
  EXPECT_EQ(Convert("utf8paraansi", "\xE2\x82\xAC 5"), "\x80 5");    // the euro sign
  EXPECT_EQ(Convert("utf8paraansi", "V\xC3\xAD" "deo \xF0\x9F\x8E\xB5!"), "V\xED" "deo ?!");  // an emoji
  EXPECT_EQ(Convert("utf8paraansi", "\xE4\xB8\xAD"), "?");            // a character the code page lacks
  EXPECT_EQ(Convert("utf8paraansi", "\xC0\xAF"), "");                 // an overlong form
  EXPECT_EQ(Convert("utf8paraansi", "\xED\xA0\x80"), "");             // a lone surrogate
  EXPECT_EQ(Convert("utf8paraansi", ""), "");
  EXPECT_EQ(Convert("ansiparautf8", "\xE9"), "\xC3\xA9");
  EXPECT_EQ(Convert("ansiparautf8", "\x80"), "\xE2\x82\xAC");
  EXPECT_EQ(Convert("ansiparautf8", "abc"), "abc");
  for (int b = 1; b < 256; ++b) {
    const std::string one(1, static_cast<char>(b));
    std::string back;
    EXPECT_TRUE(Encodings::Utf8ToAnsi(Encodings::AnsiToUtf8(one), back));
    EXPECT_EQ(back, one) << b;
  }
}

TEST_F(Encoding, AnOperandThatIsNoVariableFailsAfterTheConversion) {
  for (const char* command : {"codbase64", "decodbase64", "removequoted", "adquoted", "utf8paraansi", "ansiparautf8"}) {
    EXPECT_FALSE(Do(std::string(command) + " \"abc\"")) << command;
    EXPECT_FALSE(Do(std::string(command) + " (1+2)")) << command;
    EXPECT_FALSE(Do(std::string(command))) << command;
  }
  ASSERT_TRUE(Do("seja x \"abc\""));
  ASSERT_TRUE(Do("codbase64 x"));
  EXPECT_EQ(Var("x"), "YWJj");
}

TEST_F(Encoding, Base64OfFiles) {
  Put("48.bin", std::string(48, 'm'));
  ASSERT_TRUE(Do("codarqbase64 \"48.bin\" \"48.txt\""));
  EXPECT_EQ(Get("48.txt"), Encodings::Base64Encode(std::string(48, 'm')) + "\r\n");
  EXPECT_EQ(Get("48.txt").size(), 66u);
  Put("49.bin", std::string(49, 'm'));
  ASSERT_TRUE(Do("codarqbase64 \"49.bin\" \"49.txt\""));
  EXPECT_EQ(Get("49.txt"), Encodings::Base64Encode(std::string(48, 'm')) + "\r\nbQ==\r\n");
  Put("vazio.bin", "");
  ASSERT_TRUE(Do("codarqbase64 \"vazio.bin\" \"vazio.txt\""));
  EXPECT_TRUE(Has("vazio.txt"));
  EXPECT_EQ(Get("vazio.txt"), "");

  // Any bytes, across several 1024-byte blocks, come back whole.
  std::mt19937 random(11);
  std::string bytes(5000, '\0');
  for (char& c : bytes) c = static_cast<char>(random());
  Put("dados.bin", bytes);
  ASSERT_TRUE(Do("codarqbase64 \"dados.bin\" \"dados.txt\""));
  const std::string text = Get("dados.txt");
  EXPECT_EQ(text.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/=\r\n"), std::string::npos);
  EXPECT_EQ(text.substr(64, 2), "\r\n");
  ASSERT_TRUE(Do("decodarqbase64 \"dados.txt\" \"volta.bin\""));
  EXPECT_EQ(Get("volta.bin"), bytes);
  // The decoder skips what is not Base64 and stops at the first "=".
  Put("misto.txt", "YW Jj\r\n*YWI=YWJj");
  ASSERT_TRUE(Do("decodarqbase64 \"misto.txt\" \"misto.bin\""));
  EXPECT_EQ(Get("misto.bin"), "abcab");

  EXPECT_FALSE(Do("codarqbase64 \"falta.bin\" \"x.txt\""));
  EXPECT_FALSE(Do("decodarqbase64 \"falta.txt\" \"x.bin\""));
  EXPECT_FALSE(Has("x.txt"));
  EXPECT_FALSE(Has("x.bin"));
  std::filesystem::create_directory(Here("pasta"));
  EXPECT_FALSE(Do("codarqbase64 \"pasta\" \"x.txt\""));
  EXPECT_FALSE(Do("codarqbase64 \"dados.bin\" \"pasta\""));
  EXPECT_FALSE(Do("codarqbase64 \"dados.bin\""));
  EXPECT_FALSE(Has("x.txt"));
}

// A full disk ends the file conversions with failure, and the file they would have
// replaced is still whole.
TEST_F(Encoding, AFullDiskLeavesTheOldFile) {
  signal(SIGXFSZ, SIG_IGN);
  Put("grande.bin", std::string(30000, 'x'));
  Put("saida.txt", "anterior");
  Put("grande.txt", Encodings::Base64Encode(std::string(30000, 'y')));
  rlimit old{};
  getrlimit(RLIMIT_FSIZE, &old);
  rlimit small = old;
  small.rlim_cur = 10000;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  const bool encoded = Do("codarqbase64 \"grande.bin\" \"saida.txt\"");
  const bool decoded = Do("decodarqbase64 \"grande.txt\" \"saida.txt\"");
  setrlimit(RLIMIT_FSIZE, &old);
  EXPECT_FALSE(encoded);
  EXPECT_FALSE(decoded);
  EXPECT_EQ(Get("saida.txt"), "anterior");
  for (const auto& e : std::filesystem::directory_iterator(here_))
    EXPECT_EQ(e.path().filename().string().find(".fonix-"), std::string::npos) << "temporary file left";
}

}  // namespace
