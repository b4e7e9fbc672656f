// The FONIX_KEYS grammar.
#include <gtest/gtest.h>

#include "platform/events/keys.h"
#include "platform/headless/keyscript.h"

namespace {

using KeyScript::Item;

std::vector<Item> Parse(const std::string& text) {
  std::vector<Item> items;
  std::string error;
  EXPECT_TRUE(KeyScript::Parse(text, items, error)) << error;
  return items;
}

TEST(KeyScript, Grammar) {
  auto items = Parse("a{{{CTRL+ALT+F11}{WAIT 250}{shift+down}é}");
  ASSERT_EQ(items.size(), 7u);
  EXPECT_EQ(items[0].ch, 'a');
  EXPECT_EQ(items[1].ch, '{');
  EXPECT_EQ(items[2].vk, Keys::VK_F11);
  EXPECT_EQ(items[2].mods, Keys::kCtrl | Keys::kAlt);
  EXPECT_EQ(items[3].type, Item::Type::Wait);
  EXPECT_EQ(items[3].waitMs, 250);
  EXPECT_EQ(items[4].vk, Keys::VK_DOWN);
  EXPECT_EQ(items[4].mods, Keys::kShift);
  EXPECT_EQ(items[5].ch, 0xE9);
  EXPECT_EQ(items[6].ch, '}');  // a lone closing brace types itself
}

TEST(KeyScript, UntilHoldsItsText) {
  auto items = Parse("{UNTIL Deseja atualizar?}s{until é}");
  ASSERT_EQ(items.size(), 3u);
  EXPECT_EQ(items[0].type, Item::Type::Until);
  EXPECT_EQ(items[0].text, "Deseja atualizar?");
  EXPECT_GT(items[0].waitMs, 0);
  EXPECT_EQ(items[1].ch, 's');
  EXPECT_EQ(items[2].text, "é");
}

TEST(KeyScript, PressAndRelease) {
  auto items = Parse("{DOWN:F}{DOWN:D}{UP:F}{UP:D}");
  ASSERT_EQ(items.size(), 4u);
  EXPECT_EQ(items[0].type, Item::Type::Down);
  EXPECT_EQ(items[0].vk, 'F');
  EXPECT_EQ(items[3].type, Item::Type::Up);
  const auto messages = KeyScript::ToMessages(items[0]);
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].kind, Messages::Kind::KeyDown);
}

TEST(KeyScript, MalformedScriptsAreRefused) {
  std::vector<Item> items;
  std::string error;
  for (const char* bad : {"{NADA}", "{F13}", "{UNTIL }", "{WAIT x}", "{WAIT -5}", "{ENTER", "{}", "{CTRL+}"}) {
    EXPECT_FALSE(KeyScript::Parse(bad, items, error)) << bad;
    EXPECT_FALSE(error.empty());
  }
}

}  // namespace
