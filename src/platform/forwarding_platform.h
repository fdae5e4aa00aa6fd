// A platform that passes every call on to another one. Layers that watch or
// replace part of the outside world (recording the input, replaying it)
// derive from it and override only what they change.
#pragma once

#include "platform/platform.h"

namespace quorvel {

class ForwardingPlatform : public Platform {
 public:
  explicit ForwardingPlatform(Platform& inner) : inner_(inner) {}

  Surface& Picture1() override { return inner_.Picture1(); }
  void SetLabels(const Form1Labels& labels) override { inner_.SetLabels(labels); }
  bool KeyHeld(int vk) override { return inner_.KeyHeld(vk); }
  bool JoyGetPos(JoyReading& out) override { return inner_.JoyGetPos(out); }
  bool JoyProbe() override { return inner_.JoyProbe(); }
  void SetTimer1Enabled(bool enabled) override { inner_.SetTimer1Enabled(enabled); }
  void ShowMenuModal(MenuWindow& menu) override { inner_.ShowMenuModal(menu); }
  void UnloadGameWindow() override { inner_.UnloadGameWindow(); }
  void Sleep(int ms) override { inner_.Sleep(ms); }

 protected:
  Platform& inner_;
};

}  // namespace quorvel
