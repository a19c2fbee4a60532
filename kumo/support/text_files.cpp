// The program's own text-file operations: open, close, end test and line reading.
#include <cstdint>

#include "kumo/core/bodies.h"
#include "kumo/platform/clock.h"
#include "kumo/support/file_access.h"
#include "kumo/support/strings.h"

namespace kumo {

int FileOpenForReadBody(const char* path, int asyncFlag) {
  return Files().open(path, 0, 1, asyncFlag != 0 ? 1 : 0);
}

int FileCloseReadBody(int fileHandle) { return Files().close(fileHandle); }

int FileIsEofBody(int fileHandle) {
  const FileOps& files = Files();
  const int position = files.tell(fileHandle);
  if (position < 0) return -1;  // not an open file
  files.seek(fileHandle, 0, 2);
  const int end = files.tell(fileHandle);
  files.seek(fileHandle, position, 0);
  return position == end ? 1 : 0;
}

int FileReadLineBody(char* buffer, int bufferSize, int fileHandle) {
  const FileOps& files = Files();
  if (files.eof(fileHandle) != 0 || bufferSize < 2) return -1;
  const int start = files.tell(fileHandle);
  const int n = files.read(buffer, 1, bufferSize - 1, fileHandle);
  WaitUntilFileReady(fileHandle);
  if (n <= 0) return -1;

  int i = 0;
  while (i < n && buffer[i] != '\0') {
    const unsigned char byte = static_cast<unsigned char>(buffer[i]);
    // A character cut off by the end of the bytes read is read again next time. (A line that
    // has nothing before it takes the byte alone, so that every call moves on.)
    const bool cutOff = (IsLeadByte(byte) || byte == '\r') && i + 1 >= n;
    if (cutOff && i > 0) {
      files.seek(fileHandle, start + i, 0);
      break;
    }
    if (byte == '\r' && i + 1 < n && buffer[i + 1] == '\n') {
      files.seek(fileHandle, start + i + 2, 0);
      break;
    }
    i += IsLeadByte(byte) && i + 1 < n ? 2 : 1;
  }
  buffer[i] = '\0';
  return i;
}

}  // namespace kumo
