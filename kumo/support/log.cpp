#include "kumo/support/log.h"

#include <algorithm>
#include <climits>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "kumo/core/system_record.h"
#include "kumo/platform/clock.h"
#include "kumo/platform/debug_output.h"
#include "kumo/platform/files.h"
#include "kumo/support/strings.h"
#include "kumo/support/tracked_memory.h"

namespace kumo {

namespace {

constexpr char kLogFileName[] = "Log.txt";
constexpr size_t kDirectorySize = 256;
// Texts up to this length are converted without an allocation.
constexpr size_t kShortTextLength = 255;
// A line's tab prefix is built in a 256-byte buffer.
constexpr int kMostTabs = 255;
constexpr size_t kFormatBufferSize = 1024;

struct LogState {
  char directory[kDirectorySize];  // where "Log.txt" lives; empty while the log is not started
  uint32_t startTick;
  int tabLevel;
  int continuation;  // 1 while the last text left its line open
};

LogState gLog;

constexpr int kScreenLogLines = 80;
constexpr int kScreenLogLineBytes = 255;

struct ScreenLogState {
  int started = 0;
  char lines[kScreenLogLines][kScreenLogLineBytes] = {};
  int lineHeight = 0;
  int font = -1;  // font handle, -1 until made
  int cursorX = 0;
  int cursorY = 0;
  int display = 0;  // 1 draws the area; nothing switches it on
};

ScreenLogState gScreenLog;

// The first line feed at or after `from`, stepping over double-byte characters; `length`
// when there is none.
size_t FindLineFeed(const char* text, size_t from, size_t length) {
  size_t at = from;
  while (at < length) {
    const unsigned char byte = static_cast<unsigned char>(text[at]);
    if (byte == '\n') return at;
    // A lead byte takes the next byte with it, but never the terminator.
    at += IsLeadByte(byte) && at + 1 < length ? 2 : 1;
  }
  return length;
}

// Copies `text` to `out` (room for twice `length`) with each LF as CR LF, up to the first line
// feed that already follows a carriage return; the rest is copied as it is. The copy's length.
size_t ConvertLineEnds(const char* text, size_t length, char* out) {
  size_t copied = 0;
  size_t written = 0;
  size_t lineFeed = FindLineFeed(text, 0, length);
  while (lineFeed < length && (lineFeed == 0 || text[lineFeed - 1] != '\r')) {
    std::memcpy(out + written, text + copied, lineFeed - copied);
    written += lineFeed - copied;
    out[written++] = '\r';
    out[written++] = '\n';
    copied = lineFeed + 1;
    lineFeed = FindLineFeed(text, copied, length);
  }
  std::memcpy(out + written, text + copied, length - copied);
  return written + length - copied;
}

// Appends one converted text to "Log.txt" in the log directory, with the time and tabs when it
// starts a line. A text that cannot reach the file is dropped.
void AppendToLogFile(const char* text, size_t length) {
  char saved[kDirectorySize];
  // Without the way back the process would stay in the log directory.
  if (platform::GetCurrentDir(saved, sizeof saved) == 0) return;
  // A "Log.txt" in whatever directory is current would not be the log.
  if (!platform::SetCurrentDir(gLog.directory)) return;

  const platform::NativeFile file = platform::OpenFileForAppend(kLogFileName);
  if (file != platform::kNoFile) {
    if (gLog.continuation == 0) {
      char prefix[16];
      const int prefixLength = std::snprintf(
          prefix, sizeof prefix, "%d:", static_cast<int>(platform::TickMillis() - gLog.startTick));
      platform::WriteFileBytes(file, prefix, static_cast<size_t>(prefixLength));
      if (gLog.tabLevel > 0) {
        char tabs[kMostTabs + 1];
        const size_t tabCount = static_cast<size_t>(std::min(gLog.tabLevel, kMostTabs));
        std::memset(tabs, '\t', tabCount);
        platform::WriteFileBytes(file, tabs, tabCount);
        platform::DebugOutput(tabs, tabCount);
      }
    }
    platform::WriteFileBytes(file, text, length);
    platform::DebugOutput(text, length);
    gLog.continuation = text[length - 1] != '\n' ? 1 : 0;
    platform::CloseFile(file);
  }
  platform::SetCurrentDir(saved);
}

// The length of `text` without a double-byte character that a cut at `length` split.
size_t WholeCharacters(const char* text, size_t length) {
  size_t at = 0;
  while (at < length) {
    const size_t step = IsLeadByte(static_cast<unsigned char>(text[at])) ? 2 : 1;
    if (at + step > length) return at;
    at += step;
  }
  return length;
}

}  // namespace

int LogSetDirectory(const char* directory) {
  const size_t length = directory == nullptr ? 0 : std::strlen(directory);
  if (length >= sizeof gLog.directory) {
    gLog.directory[0] = '\0';
    return -1;
  }
  if (length > 0) std::memcpy(gLog.directory, directory, length);
  gLog.directory[length] = '\0';
  return 0;
}

int LogStart() {
  platform::DeleteFileAt(kLogFileName);
  platform::CreateNewFile(kLogFileName);
  gLog.tabLevel = 0;
  gLog.continuation = 0;
  gLog.startTick = platform::TickMillis();
  return 1;
}

int LogWrite(const char* text) {
  if (text == nullptr) return -1;
  const size_t length = std::strlen(text);

  // Room for a short text in which every byte is a line feed that becomes CR LF.
  char local[2 * kShortTextLength];
  char* converted = local;
  void* block = nullptr;
  if (length > kShortTextLength) {
    if (length <= INT_MAX / 2) block = TrackedAlloc(static_cast<int>(2 * length), nullptr, -1);
    converted = static_cast<char*>(block);
  }

  // Without a conversion buffer the text is written as it is rather than lost.
  const char* out = text;
  size_t outLength = length;
  if (converted != nullptr) {
    outLength = ConvertLineEnds(text, length, converted);
    out = converted;
  }

  // An empty text writes nothing, not even a time prefix, and leaves an open line open.
  if (gLog.directory[0] != '\0' && outLength > 0) AppendToLogFile(out, outLength);

  TrackedFree(block);
  return -1;
}

int LogWriteFormat(const char* format, ...) {
  char buffer[kFormatBufferSize];
  // One byte stays free for the line feed.
  const size_t room = sizeof buffer - 2;

  va_list values;
  va_start(values, format);
  const int formatted = std::vsnprintf(buffer, sizeof buffer - 1, format, values);
  va_end(values);

  size_t length = 0;
  if (formatted > 0) {
    length = std::min(static_cast<size_t>(formatted), room);
    if (static_cast<size_t>(formatted) > room) length = WholeCharacters(buffer, length);
  }
  buffer[length] = '\n';
  buffer[length + 1] = '\0';
  return LogWrite(buffer);
}

int LogPrint(const char* format, ...) {
  char buffer[kFormatBufferSize];
  va_list values;
  va_start(values, format);
  std::vsnprintf(buffer, sizeof buffer, format, values);
  va_end(values);
  return LogWrite(buffer);
}

int LogTabIn() {
  ++gLog.tabLevel;
  return 0;
}

int LogTabOut() {
  if (gLog.tabLevel > 0) --gLog.tabLevel;
  return 0;
}

int ScreenLogStart() {
  if (System().window == nullptr) return -1;
  if (gScreenLog.started == 1) return 0;
  gScreenLog.started = 1;
  gScreenLog.lineHeight = 16;
  std::memset(gScreenLog.lines, 0, sizeof gScreenLog.lines);
  gScreenLog.cursorX = 0;
  gScreenLog.cursorY = 0;
  gScreenLog.display = 0;
  // The area's font (default face, size 16, thickness 4, type 1) is made here once fonts exist.
  return 0;
}

int ScreenLogEnd() {
  // The font, once fonts exist, is deleted here unless it has been lost.
  gScreenLog.font = -1;
  gScreenLog.started = 0;
  return 0;
}

}  // namespace kumo
