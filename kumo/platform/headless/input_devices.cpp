// The headless input devices: the script's keyboard and the pads a test attaches, all read at
// once and the same way every run.
#include <cstdio>
#include <cstring>
#include <new>

#include "kumo/platform/headless/headless_input.h"
#include "kumo/platform/headless/script.h"
#include "kumo/platform/input_device_record.h"

namespace kumo::platform {

namespace headless {

namespace {

struct AttachedPad {
  uint32_t id;
  HeadlessPad pad;
};

struct OpenPad {
  uint32_t id;
};

struct HeadlessInput {
  std::vector<AttachedPad> pads;
  uint32_t nextId = 1;
  std::vector<HeadlessInputFault> faults;
  uint32_t seenKeyChanges = 0;
  uint32_t keyboardReads = 0;
  uint32_t padReads = 0;
};

HeadlessInput gInput;

// A token that stands for a made effect.
char gEffectToken;

const AttachedPad* FindAttached(uint32_t id) {
  for (const AttachedPad& attached : gInput.pads) {
    if (attached.id == id) return &attached;
  }
  return nullptr;
}

int AttachedIndex(uint32_t id) {
  for (size_t i = 0; i < gInput.pads.size(); ++i) {
    if (gInput.pads[i].id == id) return static_cast<int>(i);
  }
  return -1;
}

void CopyName(char (&to)[kInputNameSize], const std::string& from) {
  std::snprintf(to, sizeof to, "%s", from.c_str());
}

void Start() {}
void Stop() {}

int ListPads(PadIdentity* pads, int capacity) {
  int count = 0;
  for (const AttachedPad& attached : gInput.pads) {
    if (count == capacity) break;
    PadIdentity& identity = pads[count++];
    identity.id = attached.id;
    CopyName(identity.instanceName, attached.pad.instanceName);
    CopyName(identity.productName, attached.pad.productName);
  }
  return count;
}

void* OpenPadById(uint32_t id, uint32_t* axisMask) {
  const AttachedPad* attached = FindAttached(id);
  if (attached == nullptr) return nullptr;
  *axisMask = attached->pad.axisMask;
  return new (std::nothrow) OpenPad{id};
}

void ClosePad(void* pad) { delete static_cast<OpenPad*>(pad); }

bool ReadPad(void* pad, RawPadState* state) {
  const AttachedPad* attached = FindAttached(static_cast<OpenPad*>(pad)->id);
  if (attached == nullptr) return false;
  gInput.padReads += 1;
  state->axisMask = attached->pad.axisMask;
  std::memcpy(state->axes, attached->pad.axes, sizeof state->axes);
  std::memcpy(state->pointOfView, attached->pad.pointOfView, sizeof state->pointOfView);
  state->buttons = attached->pad.buttons;
  return true;
}

void PollPads() {}

void ReadKeys(uint8_t state[256]) {
  gInput.keyboardReads += 1;
  gInput.seenKeyChanges = ScriptKeyChanges();
  ScriptKeyState(state);
}

void ReadWindowKeys(uint8_t state[256]) { ScriptKeyState(state); }

void* CreateEffect(void* pad, EffectKind, const SineEffect&, int32_t) {
  const AttachedPad* attached = FindAttached(static_cast<OpenPad*>(pad)->id);
  return attached != nullptr && attached->pad.forceFeedback ? &gEffectToken : nullptr;
}

void ReleaseEffect(void*, void*) {}

bool Matches(const HeadlessInputFault& fault, const InputCall& call) {
  if (fault.step != call.step || fault.times == 0) return false;
  if (fault.detail != -1 && fault.detail != call.detail) return false;
  const bool systemStep =
      call.step == InputStep::ObtainSystem || call.step == InputStep::InitializeSystem;
  if (systemStep) return true;
  if (fault.kind != call.kind) return false;
  return call.kind != InputDeviceKind::Pad || fault.padIndex == -1 ||
         fault.padIndex == AttachedIndex(call.padId);
}

InputResult Refuse(const InputCall& call) {
  for (HeadlessInputFault& fault : gInput.faults) {
    if (!Matches(fault, call)) continue;
    if (fault.times > 0) fault.times -= 1;
    return fault.result;
  }
  return kInputOk;
}

}  // namespace

void PumpHeadlessInput() {
  const uint32_t changes = ScriptKeyChanges();
  if (changes == gInput.seenKeyChanges) return;
  gInput.seenKeyChanges = changes;
  NotifyKeyboardChanged();
}

void SetHeadlessPads(const std::vector<HeadlessPad>& pads) {
  gInput.pads.clear();
  for (const HeadlessPad& pad : pads) gInput.pads.push_back({gInput.nextId++, pad});
}

void UpdateHeadlessPad(int index, const HeadlessPad& pad) {
  if (index < 0 || static_cast<size_t>(index) >= gInput.pads.size()) return;
  gInput.pads[index].pad = pad;
  NotifyPadChanged(gInput.pads[index].id);
}

void SetHeadlessInputFaults(const std::vector<HeadlessInputFault>& faults) {
  gInput.faults = faults;
}

uint32_t HeadlessKeyboardReads() { return gInput.keyboardReads; }
uint32_t HeadlessPadReads() { return gInput.padReads; }

}  // namespace headless

const InputDeviceService kHeadlessInputDevices = {
    headless::Start,        headless::Stop,          headless::ListPads,
    headless::OpenPadById,  headless::ClosePad,      headless::ReadPad,
    headless::PollPads,     headless::ReadKeys,      headless::ReadWindowKeys,
    headless::CreateEffect, headless::ReleaseEffect, headless::Refuse};

}  // namespace kumo::platform
