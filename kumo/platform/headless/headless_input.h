// The headless input devices. The keyboard is the input script's; pads exist only when a test
// attaches some; a test may also have chosen calls fail, to reach the library's failure paths.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "kumo/platform/input_device_record.h"

namespace kumo::platform::headless {

// Signals the keyboards' change events when the script's keys changed since the keyboard was
// last read or this was last called. The headless message pump calls it on every pass, as the
// SDL pump hands over its events.
void PumpHeadlessInput();

// A pad that a test attaches.
struct HeadlessPad {
  std::string instanceName;
  std::string productName;
  uint32_t axisMask = 0xFF;          // bit n: the pad has axis n (PadAxis order)
  int32_t axes[kPadAxisCount] = {};  // physical positions, -32768 to 32767
  uint32_t pointOfView[4] = {0xFFFFFFFFu, 0xFFFFFFFFu, 0xFFFFFFFFu, 0xFFFFFFFFu};
  uint32_t buttons = 0;        // bit n: button n held
  bool forceFeedback = false;  // offers the sine and constant effects
};

// Detaches every pad and attaches these, in order, with new ids.
void SetHeadlessPads(const std::vector<HeadlessPad>& pads);
// Changes what an attached pad reports and signals its devices' change events.
void UpdateHeadlessPad(int index, const HeadlessPad& pad);

// A call that fails with `result`.
struct HeadlessInputFault {
  InputStep step;
  InputDeviceKind kind = InputDeviceKind::Keyboard;  // device steps
  int padIndex = -1;                                 // pad steps: the attached pad, -1 any
  int detail = -1;  // ObtainSystem: the version; axis steps: the axis; -1 any
  InputResult result = kInputUnavailable;
  int times = -1;  // how many matching calls fail; -1 all
};
void SetHeadlessInputFaults(const std::vector<HeadlessInputFault>& faults);

// Reads of the keyboard and of any pad, since the start.
uint32_t HeadlessKeyboardReads();
uint32_t HeadlessPadReads();

}  // namespace kumo::platform::headless
