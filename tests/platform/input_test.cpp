#include <gtest/gtest.h>

#include <map>
#include <set>

#include "platform/platform.h"
#include "platform/platform_stage.h"
#include "platform/sdl_host.h"

namespace {

using platform::InputEvent;

InputEvent Event(InputEvent::Kind kind, int32_t code = 0, float x = 0, float y = 0) {
  InputEvent event{kind};
  event.code = code;
  event.x = x;
  event.y = y;
  return event;
}

void Queue(std::initializer_list<InputEvent> events) {
  auto& host = dynamic_cast<platform::ScriptedHost&>(platform::CurrentHost());
  for (const InputEvent& event : events) host.Queue(event);
}

TEST(Keys, HitsCountPressesSinceTheLastCallAndDownFollowsTheLastEvent) {
  platform::UseScriptedHost();
  Queue({Event(InputEvent::kKeyDown, 65), Event(InputEvent::kKeyUp, 65),
         Event(InputEvent::kKeyDown, 65)});
  EXPECT_EQ(fw_key_down(65), 1);
  EXPECT_EQ(fw_key_hit(65), 2);
  EXPECT_EQ(fw_key_hit(65), 0);
  EXPECT_EQ(fw_key_hit(66), 0);
  Queue({Event(InputEvent::kKeyUp, 65)});
  EXPECT_EQ(fw_key_down(65), 0);  // a loop polling only the held state sees the release
  for (int32_t code : {-1, 256, 1000}) {
    EXPECT_EQ(fw_key_down(code), 0);
    EXPECT_EQ(fw_key_hit(code), 0);
  }
}

TEST(Keys, MouseButtonCodesNeverReadAsKeys) {
  platform::UseScriptedHost();
  Queue({Event(InputEvent::kKeyDown, 1), Event(InputEvent::kKeyDown, 3),
         Event(InputEvent::kMouseDown, 1)});
  for (int32_t code : {1, 2, 3}) {
    EXPECT_EQ(fw_key_down(code), 0);
    EXPECT_EQ(fw_key_hit(code), 0);
  }
  EXPECT_EQ(fw_mouse_down(1), 1);
}

TEST(Keys, EventsArriveWithTheFrameTheyWereQueuedFor) {
  auto& host = platform::UseScriptedHost();
  ASSERT_EQ(fw_open_graphics(800, 600, 0, 60, 0), 1);
  host.QueueAtFrame(2, Event(InputEvent::kKeyDown, 32));
  fw_flip(0);
  EXPECT_EQ(fw_key_down(32), 0);
  fw_flip(0);
  EXPECT_EQ(fw_key_down(32), 1);
}

TEST(TypedCharacters, QueueKeepsTheOldest256InOrder) {
  platform::UseScriptedHost();
  EXPECT_EQ(fw_get_char(), 0);
  for (int32_t i = 0; i < 300; ++i) Queue({Event(InputEvent::kChar, 1000 + i)});
  for (int32_t i = 0; i < 256; ++i) ASSERT_EQ(fw_get_char(), 1000 + i);
  EXPECT_EQ(fw_get_char(), 0);
  Queue({Event(InputEvent::kChar, 'x')});
  EXPECT_EQ(fw_get_char(), 'x');
}

TEST(TypedCharacters, FlushClearsKeysAndCharactersButNotTheMouse) {
  platform::UseScriptedHost();
  Queue({Event(InputEvent::kKeyDown, 27), Event(InputEvent::kChar, 'a'),
         Event(InputEvent::kMouseDown, 1)});
  EXPECT_EQ(fw_key_down(27), 1);
  Queue({Event(InputEvent::kKeyDown, 13), Event(InputEvent::kChar, 'b')});  // still pending
  fw_flush_keys();
  EXPECT_EQ(fw_key_down(27), 0);
  EXPECT_EQ(fw_key_hit(27), 0);
  EXPECT_EQ(fw_key_hit(13), 0);
  EXPECT_EQ(fw_get_char(), 0);
  EXPECT_EQ(fw_mouse_down(1), 1);
}

TEST(Mouse, ButtonsAreHeldAndCountedLikeKeys) {
  platform::UseScriptedHost();
  Queue({Event(InputEvent::kMouseDown, 2), Event(InputEvent::kMouseUp, 2),
         Event(InputEvent::kMouseDown, 2), Event(InputEvent::kMouseDown, 3)});
  EXPECT_EQ(fw_mouse_down(2), 1);
  EXPECT_EQ(fw_mouse_down(1), 0);
  EXPECT_EQ(fw_mouse_hit(2), 2);
  EXPECT_EQ(fw_mouse_hit(2), 0);
  EXPECT_EQ(fw_mouse_hit(3), 1);
  for (int32_t button : {0, 4, -1}) {
    EXPECT_EQ(fw_mouse_down(button), 0);
    EXPECT_EQ(fw_mouse_hit(button), 0);
  }
}

TEST(Mouse, PositionIsMappedFromALargerWindowIntoTheDrawingSpace) {
  platform::UseScriptedHost();
  ASSERT_EQ(fw_open_graphics(1600, 1200, 0, 60, 0), 1);
  fw_set_virtual_resolution(800, 600);
  Queue({Event(InputEvent::kMouseMove, 0, 401, 301)});
  EXPECT_FLOAT_EQ(fw_virtual_mouse_x(), 200.5f);
  EXPECT_FLOAT_EQ(fw_virtual_mouse_y(), 150.5f);
  Queue({Event(InputEvent::kMouseDown, 1, 1598, 2)});  // presses move the pointer too
  EXPECT_FLOAT_EQ(fw_virtual_mouse_x(), 799.0f);
  EXPECT_FLOAT_EQ(fw_virtual_mouse_y(), 1.0f);
}

TEST(Mouse, WheelStepsAddUpUntilRead) {
  platform::UseScriptedHost();
  Queue({Event(InputEvent::kWheel, 3), Event(InputEvent::kWheel, -1)});
  EXPECT_EQ(fw_mouse_z_speed(), 2);
  EXPECT_EQ(fw_mouse_z_speed(), 0);
  Queue({Event(InputEvent::kWheel, -2)});
  EXPECT_EQ(fw_mouse_z_speed(), -2);
}

TEST(Joysticks, ReportNameButtonsAxesAndHat) {
  auto& host = platform::UseScriptedHost();
  platform::JoystickState pad;
  pad.name = u"Pad";
  pad.buttons = 5;
  pad.held = 0b10010;
  pad.axes[0] = -1.5f;  // a host reading past the end is held to the range
  pad.axes[1] = 0.25f;
  pad.axes[5] = 1.0f;
  pad.hat = 0.125f;
  platform::JoystickState many;
  many.buttons = 40;
  host.joysticks = {pad, many};

  EXPECT_EQ(fw_joy_count(), 2);
  EXPECT_EQ(fw_joy_name(0), u"Pad");
  EXPECT_EQ(fw_joy_button_caps(0), 31);
  EXPECT_EQ(fw_joy_button_caps(1), -1);
  EXPECT_EQ(fw_joy_button_down(1, 0), 1);
  EXPECT_EQ(fw_joy_button_down(4, 0), 1);
  EXPECT_EQ(fw_joy_button_down(0, 0), 0);
  EXPECT_EQ(fw_joy_button_down(40, 0), 0);
  EXPECT_EQ(fw_joy_axis_x(0), -1.0f);
  EXPECT_EQ(fw_joy_axis_y(0), 0.25f);
  EXPECT_EQ(fw_joy_axis_z(0), 0.0f);
  EXPECT_EQ(fw_joy_axis_v(0), 1.0f);
  EXPECT_EQ(fw_joy_hat(0), 0.125f);
  EXPECT_EQ(fw_joy_hat(1), -1.0f);  // centred
}

TEST(Joysticks, MissingPortsReadAsNothing) {
  platform::UseScriptedHost();
  EXPECT_EQ(fw_joy_count(), 0);
  EXPECT_EQ(fw_joy_name(0), u"");
  EXPECT_EQ(fw_joy_button_caps(3), 0);
  EXPECT_EQ(fw_joy_button_down(0, -1), 0);
  EXPECT_EQ(fw_joy_axis_r(0), 0.0f);
  EXPECT_EQ(fw_joy_axis_u(7), 0.0f);
  EXPECT_EQ(fw_joy_hat(0), -1.0f);
}

TEST(SdlJoystickHat, DirectionsAreExactFractionsOfATurn) {
  EXPECT_EQ(platform::HatFraction(SDL_HAT_CENTERED), -1.0f);
  EXPECT_EQ(platform::HatFraction(SDL_HAT_UP), 0.0f);
  EXPECT_EQ(platform::HatFraction(SDL_HAT_RIGHTUP), 0.125f);
  EXPECT_EQ(platform::HatFraction(SDL_HAT_RIGHT), 0.25f);
  EXPECT_EQ(platform::HatFraction(SDL_HAT_RIGHTDOWN), 0.375f);
  EXPECT_EQ(platform::HatFraction(SDL_HAT_DOWN), 0.5f);
  EXPECT_EQ(platform::HatFraction(SDL_HAT_LEFTDOWN), 0.625f);
  EXPECT_EQ(platform::HatFraction(SDL_HAT_LEFT), 0.75f);
  EXPECT_EQ(platform::HatFraction(SDL_HAT_LEFTUP), 0.875f);
}

// Every key of a UK PC keyboard with the code it must report.
std::map<SDL_Scancode, int32_t> ExpectedKeys() {
  std::map<SDL_Scancode, int32_t> keys = {
      {SDL_SCANCODE_BACKSPACE, 8},      {SDL_SCANCODE_TAB, 9},
      {SDL_SCANCODE_RETURN, 13},        {SDL_SCANCODE_KP_ENTER, 13},
      {SDL_SCANCODE_PAUSE, 19},         {SDL_SCANCODE_CAPSLOCK, 20},
      {SDL_SCANCODE_ESCAPE, 27},        {SDL_SCANCODE_SPACE, 32},
      {SDL_SCANCODE_PAGEUP, 33},        {SDL_SCANCODE_PAGEDOWN, 34},
      {SDL_SCANCODE_END, 35},           {SDL_SCANCODE_HOME, 36},
      {SDL_SCANCODE_LEFT, 37},          {SDL_SCANCODE_UP, 38},
      {SDL_SCANCODE_RIGHT, 39},         {SDL_SCANCODE_DOWN, 40},
      {SDL_SCANCODE_PRINTSCREEN, 44},   {SDL_SCANCODE_INSERT, 45},
      {SDL_SCANCODE_DELETE, 46},        {SDL_SCANCODE_LGUI, 91},
      {SDL_SCANCODE_RGUI, 92},          {SDL_SCANCODE_APPLICATION, 93},
      {SDL_SCANCODE_KP_MULTIPLY, 106},  {SDL_SCANCODE_KP_PLUS, 107},
      {SDL_SCANCODE_KP_MINUS, 109},     {SDL_SCANCODE_KP_PERIOD, 110},
      {SDL_SCANCODE_KP_DIVIDE, 111},    {SDL_SCANCODE_NUMLOCKCLEAR, 144},
      {SDL_SCANCODE_SCROLLLOCK, 145},   {SDL_SCANCODE_LSHIFT, 160},
      {SDL_SCANCODE_RSHIFT, 161},       {SDL_SCANCODE_LCTRL, 162},
      {SDL_SCANCODE_RCTRL, 163},        {SDL_SCANCODE_LALT, 164},
      {SDL_SCANCODE_RALT, 165},         {SDL_SCANCODE_MUTE, 173},
      {SDL_SCANCODE_AUDIOMUTE, 173},    {SDL_SCANCODE_VOLUMEDOWN, 174},
      {SDL_SCANCODE_VOLUMEUP, 175},     {SDL_SCANCODE_SEMICOLON, 186},
      {SDL_SCANCODE_EQUALS, 187},       {SDL_SCANCODE_COMMA, 188},
      {SDL_SCANCODE_MINUS, 189},        {SDL_SCANCODE_PERIOD, 190},
      {SDL_SCANCODE_SLASH, 191},        {SDL_SCANCODE_APOSTROPHE, 192},
      {SDL_SCANCODE_LEFTBRACKET, 219},  {SDL_SCANCODE_BACKSLASH, 220},
      {SDL_SCANCODE_RIGHTBRACKET, 221}, {SDL_SCANCODE_NONUSHASH, 222},
      {SDL_SCANCODE_GRAVE, 223},        {SDL_SCANCODE_NONUSBACKSLASH, 226},
  };
  for (int i = 0; i < 26; ++i) keys[SDL_Scancode(SDL_SCANCODE_A + i)] = 65 + i;
  keys[SDL_SCANCODE_0] = 48;
  for (int i = 0; i < 9; ++i) keys[SDL_Scancode(SDL_SCANCODE_1 + i)] = 49 + i;
  keys[SDL_SCANCODE_KP_0] = 96;
  for (int i = 0; i < 9; ++i) keys[SDL_Scancode(SDL_SCANCODE_KP_1 + i)] = 97 + i;
  for (int i = 0; i < 12; ++i) keys[SDL_Scancode(SDL_SCANCODE_F1 + i)] = 112 + i;
  return keys;
}

TEST(SdlKeyTable, EveryPcKeyMapsToItsCode) {
  for (const auto& [scancode, code] : ExpectedKeys())
    EXPECT_EQ(platform::VirtualKeyFromScancode(scancode), code) << SDL_GetScancodeName(scancode);
  EXPECT_EQ(platform::VirtualKeyFromScancode(SDL_SCANCODE_UNKNOWN), 0);
  EXPECT_EQ(platform::VirtualKeyFromScancode(SDL_Scancode(-3)), 0);
  EXPECT_EQ(platform::VirtualKeyFromScancode(SDL_NUM_SCANCODES), 0);
}

TEST(SdlKeyTable, NoTwoKeysShareACodeUnlessMeantTo) {
  // Both Enter keys are Return and both mute keys are Mute; nothing else.
  const std::set<int32_t> shared = {13, 173};
  std::map<int32_t, int32_t> users;
  for (int s = 0; s < SDL_NUM_SCANCODES; ++s) {
    int32_t code = platform::VirtualKeyFromScancode(SDL_Scancode(s));
    if (code != 0) ++users[code];
  }
  for (const auto& [code, count] : users) {
    if (!shared.count(code)) {
      EXPECT_EQ(count, 1) << "code " << code;
    }
  }
  EXPECT_EQ(users[13], 2);
  EXPECT_EQ(users[173], 2);
  // Generic Shift, Control and Alt never appear: only their sides do.
  EXPECT_EQ(users.count(16) + users.count(17) + users.count(18), 0u);
}

SDL_Keysym Keysym(SDL_Scancode scancode, SDL_Keycode sym, Uint16 mod) {
  SDL_Keysym keysym{};
  keysym.scancode = scancode;
  keysym.sym = sym;
  keysym.mod = mod;
  return keysym;
}

TEST(SdlKeyTable, LayoutAndNumLockRefineTheCode) {
  using platform::VirtualKeyFromKeysym;
  EXPECT_EQ(VirtualKeyFromKeysym(Keysym(SDL_SCANCODE_BACKSLASH, SDLK_HASH, 0)), 222);
  EXPECT_EQ(VirtualKeyFromKeysym(Keysym(SDL_SCANCODE_BACKSLASH, SDLK_BACKSLASH, 0)), 220);
  EXPECT_EQ(VirtualKeyFromKeysym(Keysym(SDL_SCANCODE_KP_8, SDLK_KP_8, KMOD_NUM)), 104);
  EXPECT_EQ(VirtualKeyFromKeysym(Keysym(SDL_SCANCODE_KP_8, SDLK_KP_8, 0)), 38);
  EXPECT_EQ(VirtualKeyFromKeysym(Keysym(SDL_SCANCODE_KP_5, SDLK_KP_5, 0)), 12);
  EXPECT_EQ(VirtualKeyFromKeysym(Keysym(SDL_SCANCODE_KP_DIVIDE, SDLK_KP_DIVIDE, 0)), 111);
  EXPECT_EQ(VirtualKeyFromKeysym(Keysym(SDL_SCANCODE_A, SDLK_a, 0)), 65);
}

}  // namespace

namespace {

TEST(SdlHostWithoutWindow, NeedsNoDisplayForCursorEventsOrMapping) {
  platform::SdlHost host;
  host.ShowCursor(false);
  std::vector<InputEvent> events;
  host.PumpEvents(events);
  float x = 0, y = 0;
  host.WindowToVirtual(10, 20, 800, 600, x, y);
  EXPECT_TRUE(events.empty());
  EXPECT_EQ(x, 10.0f);
  EXPECT_EQ(y, 20.0f);
  EXPECT_FALSE(host.WindowOpen());
  EXPECT_EQ(SDL_WasInit(SDL_INIT_VIDEO), 0u);
}

}  // namespace

namespace {

void PushKey(Uint32 type, SDL_Scancode scancode, SDL_Keycode sym) {
  SDL_Event event{};
  event.type = type;
  event.key.keysym.scancode = scancode;
  event.key.keysym.sym = sym;
  SDL_PushEvent(&event);
}

void PushButton(Uint32 type) {
  SDL_Event event{};
  event.type = type;
  event.button.button = SDL_BUTTON_LEFT;
  SDL_PushEvent(&event);
}

// The SDL host driving the input queries, on SDL's display-less video
// driver; it reads the window system's queue at most once a millisecond.
class SdlHostInput : public ::testing::Test {
 protected:
  void SetUp() override {
    // After the host is swapped in: the old one quits SDL, which forgets hints.
    platform_stage::UseSdlHost();
    SDL_SetHint(SDL_HINT_VIDEODRIVER, "dummy");
    ASSERT_EQ(fw_open_graphics(80, 60, 0, 60, 0), 1);
    rt_delay(2);
    fw_flush_keys();  // the window's own events
  }
  // Quitting SDL also forgets the hint.
  void TearDown() override { platform::UseScriptedHost(); }
};

TEST_F(SdlHostInput, AKeyHeldForAFrameIsSeenHeldAndAQuickClickIsCounted) {
  PushKey(SDL_KEYDOWN, SDL_SCANCODE_A, SDLK_a);
  rt_delay(1);
  EXPECT_EQ(fw_key_down(65), 1);
  PushKey(SDL_KEYUP, SDL_SCANCODE_A, SDLK_a);
  PushButton(SDL_MOUSEBUTTONDOWN);
  PushButton(SDL_MOUSEBUTTONUP);
  rt_delay(1);
  EXPECT_EQ(fw_key_down(65), 0);
  EXPECT_EQ(fw_key_hit(65), 1);
  EXPECT_EQ(fw_mouse_down(1), 0);
  EXPECT_EQ(fw_mouse_hit(1), 1);
}

// Their releases go elsewhere, as when a shortcut hides the window mid-drag.
TEST_F(SdlHostInput, AButtonOrKeyHeldWhenTheWindowLosesFocusOrHidesCountsAsReleased) {
  for (auto window_event :
       {SDL_WINDOWEVENT_FOCUS_LOST, SDL_WINDOWEVENT_HIDDEN, SDL_WINDOWEVENT_MINIMIZED}) {
    PushButton(SDL_MOUSEBUTTONDOWN);
    PushKey(SDL_KEYDOWN, SDL_SCANCODE_A, SDLK_a);
    rt_delay(1);
    ASSERT_EQ(fw_mouse_down(1), 1);
    ASSERT_EQ(fw_key_down(65), 1);
    SDL_Event event{};
    event.type = SDL_WINDOWEVENT;
    event.window.event = window_event;
    SDL_PushEvent(&event);
    rt_delay(1);
    EXPECT_EQ(fw_mouse_down(1), 0) << int(window_event);
    EXPECT_EQ(fw_key_down(65), 0) << int(window_event);
    EXPECT_EQ(fw_mouse_hit(1), 1);
    EXPECT_EQ(fw_key_hit(65), 1);
  }
}

TEST_F(SdlHostInput, EventsArrivingBetweenPumpsWaitForTheNextOne) {
  std::vector<int32_t> presses;
  for (int32_t i = 0; i < 20; ++i) {
    PushKey(SDL_KEYDOWN, SDL_SCANCODE_B, SDLK_b);
    PushKey(SDL_KEYUP, SDL_SCANCODE_B, SDLK_b);
    presses.push_back(fw_key_hit(66));  // often in the millisecond of the last pump
  }
  rt_delay(1);
  presses.push_back(fw_key_hit(66));
  int32_t total = 0;
  for (int32_t count : presses) total += count;
  EXPECT_EQ(total, 20);
  EXPECT_EQ(fw_key_down(66), 0);
}

}  // namespace
