// The argument readers: values, references, numeric texts and expressions.
#include "tests/support/interp_fixture.h"
#include "interpreter/values.h"

namespace {

using Values::NumericValue;

class ValuesTest : public InterpTest {
 protected:
  // Reads one value; returns it (UTF-8) and leaves what remains in `rest`.
  std::optional<std::string> Read(const std::string& text, std::string* rest = nullptr) {
    const std::string bytes = Cp1252::FromUtf8(text);
    std::string_view args = bytes;
    std::string value;
    const bool ok = Values::ReadValue(args, value);
    if (rest) *rest = std::string(args);
    if (!ok) return std::nullopt;
    return Cp1252::ToUtf8(value);
  }
};

TEST_F(ValuesTest, LiteralsAndQuotes) {
  std::string rest;
  EXPECT_EQ(Read("007 x", &rest), "007");
  EXPECT_EQ(rest, "x");
  EXPECT_EQ(Read("-"), "-");
  EXPECT_EQ(Read("-12abc", &rest), "-12");
  EXPECT_EQ(rest, "abc");
  EXPECT_EQ(Read("\"indent\"\"><b>\""), "indent\"><b>");
  EXPECT_EQ(Read("\"sem fim"), "sem fim");
  EXPECT_EQ(Read("\"#13\""), "#13");
  EXPECT_EQ(Read("\"a\"b", &rest), "a");
  EXPECT_EQ(rest, "b");
  EXPECT_EQ(Read("   "), std::nullopt);
  EXPECT_EQ(Read("+1"), std::nullopt);
  EXPECT_EQ(Read("$"), std::nullopt);
  EXPECT_EQ(Read("@x"), std::nullopt);
}

TEST_F(ValuesTest, VariablesByLetterAndName) {
  ASSERT_TRUE(Line("seja $Nome \"n\""));
  ASSERT_TRUE(Line("seja a \"letra\""));
  EXPECT_EQ(Read("$NOME"), "n");
  EXPECT_EQ(Read("$nome"), "n");
  EXPECT_EQ(Read("A"), "letra");
  EXPECT_EQ(Read("$a"), "");  // a named variable never shares a letter's slot
  std::string rest;
  EXPECT_EQ(Read("ab", &rest), "letra");  // the letter alone is read
  EXPECT_EQ(rest, "b");
  EXPECT_EQ(Read("$nunca_usada"), "");

  std::string_view args = "ab";
  int code;
  EXPECT_FALSE(Values::ReadVariableRef(args, code));
  args = "a1";
  EXPECT_FALSE(Values::ReadVariableRef(args, code));
  args = "a = 1";
  ASSERT_TRUE(Values::ReadVariableRef(args, code));
  EXPECT_EQ(code, 'A');
  EXPECT_EQ(args, "= 1");
}

TEST_F(ValuesTest, NamesTakeCodesInOrderOfFirstMention) {
  // Reading a name counts as much as setting it.
  for (int i = 0; i < 165; ++i) ASSERT_TRUE(Line("seja $n" + std::to_string(i) + " 1"));
  EXPECT_EQ(Variables::VariableCodeForName("N0"), 91);
  EXPECT_EQ(Variables::VariableCodeForName("N164"), 255);
  EXPECT_EQ(Variables::VariableCodeForName("NOVO"), 0);  // the 166th name
  for (int i = 166; i < 229; ++i) Variables::VariableCodeForName("M" + std::to_string(i));
  EXPECT_EQ(Variables::VariableCodeForName("ULTIMO"), 64);  // the 230th
  EXPECT_EQ(Variables::VariableCodeForName("DEMAIS"), -1);
  EXPECT_EQ(Variables::NameCount(), 230);
}

TEST_F(ValuesTest, ChannelAndListReferences) {
  std::string_view args = "#3 resto";
  char digit;
  ASSERT_TRUE(Values::ReadChannelRef(args, digit));
  EXPECT_EQ(digit, '3');
  EXPECT_EQ(args, "resto");
  args = "#3x";
  EXPECT_FALSE(Values::ReadChannelRef(args, digit));
  args = "x";
  EXPECT_FALSE(Values::ReadChannelRef(args, digit));
  EXPECT_EQ(digit, ' ');

  std::string name;
  args = "[Minha Lista] cria";
  ASSERT_TRUE(Values::ReadListRef(args, name));
  EXPECT_EQ(name, "Minha Lista");
  EXPECT_EQ(args, "cria");
  args = "[]] x";
  ASSERT_TRUE(Values::ReadListRef(args, name));
  EXPECT_EQ(name, "]");
  args = "[sem fim";
  EXPECT_FALSE(Values::ReadListRef(args, name));
  args = "[";
  EXPECT_FALSE(Values::ReadListRef(args, name));
}

TEST(NumericValue, AcceptsDecimalAndHexadecimal) {
  EXPECT_EQ(NumericValue("  42"), 42);
  EXPECT_EQ(NumericValue("+42"), 42);
  EXPECT_EQ(NumericValue("-2147483648"), -2147483648LL);
  EXPECT_EQ(NumericValue("$1F"), 31);
  EXPECT_EQ(NumericValue("0x1F"), 31);
  EXPECT_EQ(NumericValue("X1f"), 31);
  EXPECT_EQ(NumericValue("$FFFFFFFF"), -1);
  EXPECT_EQ(NumericValue("0007"), 7);
}

TEST(NumericValue, RejectsEverythingElse) {
  for (const char* bad : {"", "42 ", "4 2", "2147483648", "-2147483649", "$", "$1FFFFFFFF", "1.5", "abc", "-", "0x"})
    EXPECT_EQ(NumericValue(bad), std::nullopt) << '"' << bad << '"';
}

TEST_F(ValuesTest, Expressions) {
  EXPECT_EQ(Read("(2+3*4)"), "14");
  EXPECT_EQ(Read("(-(2))"), "-2");
  EXPECT_EQ(Read("(7/2)"), "3");
  EXPECT_EQ(Read("(-7/2)"), "-3");
  EXPECT_EQ(Read("( 1 - 2 - 3 )"), "-4");
  EXPECT_EQ(Read("(2*)"), "2");          // the dangling operator is dropped
  EXPECT_EQ(Read("(5-)"), "5");
  EXPECT_EQ(Read("(2*/3)"), std::nullopt);
  EXPECT_EQ(Read("(1+-)"), "1");       // reading stopped at ")", not at an operator
  EXPECT_EQ(Read("(1++2)"), std::nullopt);
  EXPECT_EQ(Read("(2+3"), std::nullopt);  // no closing parenthesis
  EXPECT_EQ(Read("()"), std::nullopt);
  EXPECT_EQ(Read("(+1)"), std::nullopt);  // there is no unary plus
  EXPECT_EQ(Read("(1/0)"), std::nullopt);
  EXPECT_EQ(Read("(4294967297)"), "1");  // a literal wraps in 32 bits
  EXPECT_EQ(Read("(2147483647*2147483647*4)"), "-17179869180");  // 64-bit wrap
  ASSERT_TRUE(Line("seja $numpag 3"));
  ASSERT_TRUE(Line("seja $limitebusca 20"));
  EXPECT_EQ(Read("($numpag*$limitebusca)"), "60");
  ASSERT_TRUE(Line("seja $limitebusca \"vinte\""));
  EXPECT_EQ(Read("($numpag*$limitebusca)"), std::nullopt);
  ASSERT_TRUE(Line("seja x \"$1F\""));
  EXPECT_EQ(Read("(x+1)"), "32");
}

TEST_F(ValuesTest, DeepNestingFailsInsteadOfOverflowing) {
  const std::string deep = std::string(100000, '(') + "1" + std::string(100000, ')');
  EXPECT_EQ(Read(deep), std::nullopt);
  EXPECT_EQ(Read("(" + std::string(100000, '-') + "1)"), std::nullopt);
  EXPECT_EQ(Read("((((((((((1))))))))))"), "1");
}

TEST(TrailingAmpersand, RemovesOneWithItsBlanks) {
  std::string_view args = "\"x\"  & ";
  EXPECT_TRUE(Values::TakeTrailingAmpersand(args));
  EXPECT_EQ(args, "\"x\"");
  EXPECT_FALSE(Values::TakeTrailingAmpersand(args));
}

}  // namespace
