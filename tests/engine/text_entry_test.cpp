#include <gtest/gtest.h>

#include "engine/engine.h"
#include "fresh_start.h"

namespace {

using namespace engine;
using platform::InputEvent;

class TextEntry : public ::testing::Test {
 protected:
  void SetUp() override { host_ = &FreshStart(); }

  void Key(int32_t code, bool down) {
    host_->Queue(InputEvent{down ? InputEvent::kKeyDown : InputEvent::kKeyUp, code});
  }
  void Type(const Text& text) {
    for (char16_t c : text) host_->Queue(InputEvent{InputEvent::kChar, c});
  }

  platform::ScriptedHost* host_ = nullptr;
};

// A character beyond the first plane is two code units, deleted as one.
TEST_F(TextEntry, HeldBackspaceDeletesAWholeCharacterAtOnceThenEveryEighthCall) {
  Text text = u"abc\U0001F600\u00E9\U0001F600";
  Key(8, true);
  for (int call = 1; call <= 20; ++call) text = EditTextField(text);
  EXPECT_EQ(text, u"abc");
  BackspaceRepeat = 0;
  EXPECT_EQ(EditTextField(u"\U0001F600"), u"");
}

TEST_F(TextEntry, ReleasingBackspaceForOneCallLetsTheNextPressDeleteAtOnce) {
  Text text = u"abcd";
  Key(8, true);
  text = EditTextField(text);
  text = EditTextField(text);
  Key(8, false);
  text = EditTextField(text);
  EXPECT_EQ(BackspaceRepeat, 0);
  Key(8, true);
  text = EditTextField(text);
  EXPECT_EQ(text, u"ab");
}

TEST_F(TextEntry, TypedCharactersArriveOnePerCallAndControlCodesAreIgnored) {
  Type(u"h\ti!");
  Text text;
  text = EditTextField(text);
  EXPECT_EQ(text, u"h");
  for (int call = 0; call < 5; ++call) text = EditTextField(text);
  EXPECT_EQ(text, u"hi!");
}

// Typed whole too, so the deletion leaves no half for the next call.
TEST_F(TextEntry, ACharacterTypedWithADeletingBackspaceIsAppendedThenDeleted) {
  Type(u"\U0001F600");
  Key(8, true);
  EXPECT_EQ(EditTextField(u"ab"), u"ab");
  Key(8, false);
  EXPECT_EQ(EditTextField(u""), u"");
  Key(8, true);
  EXPECT_EQ(EditTextField(u""), u"");
  EXPECT_EQ(PlayerName, u"Player");
}

}  // namespace

namespace {

TEST_F(TextEntry, NameEntryDialogEditsPlayerNameUntilEnterAndReseedsFromTheClock) {
  fw_open_graphics(800, 600, 0, 60, 0);
  // Input before the dialog is flushed; these arrive during its frames.
  host_->QueueAtFrame(1, InputEvent{InputEvent::kChar, u'a'});
  host_->QueueAtFrame(1, InputEvent{InputEvent::kChar, u'b'});
  host_->QueueAtFrame(3, InputEvent{InputEvent::kKeyDown, 8});
  host_->QueueAtFrame(3, InputEvent{InputEvent::kKeyUp, 8});
  host_->QueueAtFrame(5, InputEvent{InputEvent::kKeyDown, 13});
  host_->QueueAtFrame(6, InputEvent{InputEvent::kKeyUp, 13});

  EXPECT_EQ(RunNameEntryDialog(), 0);
  EXPECT_EQ(PlayerName, u"Playera");
  EXPECT_EQ(host_->Presents(), 6);
  EXPECT_EQ(platform::RandomState(), rt_millisecs() & 0x7fffffff);
}

}  // namespace
