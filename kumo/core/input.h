// Keyboard and pad input: the devices are made at start-up, or by the first query that finds
// them missing, and read lazily, at most once per millisecond, by the queries IsKeyDown and
// GetPadState. Without an input system object the keyboard is read by virtual-key codes and
// the pads as plain joysticks.
#pragma once

#include <cstdint>

#include "kumo/platform/input_devices.h"

namespace kumo {

constexpr int kMaxPads = 8;
constexpr int kPadNameSize = platform::kInputNameSize;

struct PadRecord {
  platform::InputDevice* device;
  platform::InputEffect* periodicEffect;
  platform::InputEffect* constantEffect;
  platform::Event* event;  // signalled when the pad's data changes
  platform::PadState state;
  int hasZAndR;   // fall-back only: the joystick has Z and rudder axes
  uint32_t tick;  // of the last refresh
  char instanceName[kPadNameSize];
  char productName[kPadNameSize];
};

struct InputRecord {
  // None: not initialised; kWithoutInputSystem: initialised on the fall-back.
  platform::InputSystem* system;
  int version8;  // 1 when the object is of version 8
  int fallback;  // 1 once the input system object could not be had; survives InputTerm
  platform::InputDevice* mouse;
  platform::InputDevice* keyboard;
  platform::Event* keyboardEvent;  // signalled when the keyboard's data changes
  uint32_t keyboardTick;           // of the last keyboard refresh
  uint8_t keyState[256];           // by scan code, bit 7 = held
  int padCount;
  PadRecord pads[kMaxPads];
};

// The system object of an input layer that runs on the fall-back; never used as an object.
extern platform::InputSystem* const kWithoutInputSystem;

InputRecord& Input();

// Makes the devices; 0, or 1 when the keyboard's change event cannot be set up (the keyboard
// is then read on every query). Device failures that leave no keyboard end the program.
int InputInit();

// Releases everything; the next query or InputInit starts again. 0.
int InputTerm();

// Re-acquires the pads, at the cooperation level that fits the window's activation, and the
// keyboard; called when the window's activation changes. 0.
int InputReacquire();

// Called by the window on every change of its activation: the next query reads the devices
// anew, even within the same millisecond.
void InputActivationHook();

// The window's two input-layer notices (0x46F is 0, 0x470 is 1): `on` 1 sets the notice's
// flag, anything else clears it. Nothing in this program reads them.
void SetInputNotice(int which, int on);
int InputNotice(int which);

}  // namespace kumo
