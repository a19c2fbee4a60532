// Kumo: the public operations of the library, the only header a program includes.
//
// Every operation takes the library lock, runs its body and releases the lock, so the program's
// thread and the library's own message thread never work on the library at once; the lock is
// re-entrant. Integers are 32-bit signed. Texts are zero-terminated Shift-JIS. Unless an
// operation says otherwise it returns 0 on success and -1 on failure, and every failure is
// explained in "Log.txt" in the working directory.
#pragma once

#include <cstdint>

// ---------------------------------------------------------------------------------------------
// Records passed through the public operations

// A self-describing pixel format.
struct ColorFormat {
  uint16_t bitsPerPixel;  // 8, 16, 24 or 32
  uint16_t bytesPerPixel;
  uint8_t redWidth, greenWidth, blueWidth, alphaWidth;  // 0 = channel absent
  uint8_t redShift, greenShift, blueShift, alphaShift;
  uint32_t redMask, greenMask, blueMask, alphaMask;
  uint32_t padMask;         // bits that belong to no channel
  uint8_t palette[256][4];  // 8-bit indexed images: blue, green, red, 0
  uint8_t padShift, padWidth;
};

// The display's 32-byte DirectDraw pixel-format record.
struct DDPIXELFORMAT {
  uint32_t dwSize;
  uint32_t dwFlags;
  uint32_t dwFourCC;
  uint32_t dwRGBBitCount;
  uint32_t dwRBitMask;
  uint32_t dwGBitMask;
  uint32_t dwBBitMask;
  uint32_t dwRGBAlphaBitMask;
};
static_assert(sizeof(DDPIXELFORMAT) == 32, "DDPIXELFORMAT is a 32-byte record");

// A rectangle; right and bottom are exclusive.
struct Rect {
  int left, top, right, bottom;
};

// ---------------------------------------------------------------------------------------------
// Start-up and shutdown

// Brings the library up: log, files, system information, window, input, sound, display.
// 0, or -1 after undoing what was started. Must not be called again while the library runs.
int InitLibrary();

// Shuts everything down in reverse order and writes the blocks still live to the log; then
// destroys the library lock (the next call creates it again). Always 0.
int EndLibrary();

// Appends a text to "Log.txt" (a line feed ends its line). Always -1, so that a failing
// operation can return it.
int WriteToLog(const char* text);

// ---------------------------------------------------------------------------------------------
// Files

// Opens a file for reading; a non-zero asyncFlag asks for a reading thread. The file handle
// (0xF0000000 with the slot index), or 0 on failure.
int FileOpenForRead(const char* path, int asyncFlag);

int FileCloseRead(int fileHandle);

// 1 at the end of the file, else 0.
int FileIsEof(int fileHandle);

// Reads one line (Shift-JIS aware) into `buffer` without its line end: the number of bytes in
// the line, or -1 at the end of the file or when nothing was read. Waits for a pending read.
int FileReadLine(char* buffer, int bufferSize, int fileHandle);

// ---------------------------------------------------------------------------------------------
// Window and messages

// Pumps the window's messages: 0 while the program may go on, -1 once it must end.
int ProcessMessage();

// 1 = run in a window, 0 = full screen. Before InitLibrary only the setting changes (0);
// afterwards the result of the screen-mode change.
int ChangeWindowMode(int windowFlag);

// Shows a message box without owner window, with a caption, a text and one OK button, and
// returns when it is closed. A platform service: it takes no lock and needs no InitLibrary.
void ShowMessageBox(const char* caption, const char* text);

// ---------------------------------------------------------------------------------------------
// Time and input

// The platform's millisecond tick, unsigned 32-bit returned as int; the argument is ignored.
int GetTickMillis(int ignored);

// 1 while the key with this DirectInput keyboard scan code (0 to 255) is held, else 0.
int IsKeyDown(int keyCode);

// Directions and buttons of pad `selector` (from 1), plus 0x1000 to merge the keyboard.
int GetPadState(int selector);

// ---------------------------------------------------------------------------------------------
// Pixel formats and the screen

// The display's pixel-format record; none before the display exists.
const DDPIXELFORMAT* GetScreenPixelFormat();

// The colour value for the current screen format (0 to 255 each).
int MakeColor(int red, int green, int blue);

// Fill a format record from a bit count and masks. They take no lock. 0.
int BuildColorFormat(ColorFormat* format, int bits, uint32_t redMask, uint32_t greenMask,
                     uint32_t blueMask, uint32_t alphaMask);
int BuildDDPixelFormat(DDPIXELFORMAT* format, int bits, uint32_t redMask, uint32_t greenMask,
                       uint32_t blueMask, uint32_t alphaMask);

// Presents the back buffer.
int FlipScreen();

// Clears the draw target. 0.
int ClearScreen();

// -4 front buffer, -2 back buffer, or a graphics handle.
int SetDrawTarget(int target);

// Clips `rect` in place to `clip`. Takes no lock. 0.
int ClipRect(Rect* rect, const Rect* clip);

// ---------------------------------------------------------------------------------------------
// Graphics

// Loads an image file into a graphics handle, or -1.
int LoadGraphFile(const char* path, int flag);

// Loads an image file cut into a grid of `total` cells (`across` x `down`, each `cellWidth` x
// `cellHeight`) into `handles` (`total` entries).
int LoadGraphGrid(const char* path, int total, int across, int down, int cellWidth, int cellHeight,
                  int* handles, int flag);

// Draws a graphic with its top-left corner at (x, y).
int PutGraph(int x, int y, int graphHandle, int transparent);

// Draws a graphic centred on (x, y), scaled and turned by `angle` radians, mirrored on request.
int PutGraphRotated(int x, int y, double scale, double angle, int graphHandle, int transparent,
                    int mirror);

// ---------------------------------------------------------------------------------------------
// Text

// Draws a text with the default font.
int PrintText(int x, int y, const char* text, int color, int edgeColor);

// Formats with printf rules into a 1024-byte buffer, then draws like PrintText with edge colour
// 0. The formatted text must fit in 1023 bytes.
int PrintTextFormat(int x, int y, int color, const char* format, ...)
    __attribute__((format(printf, 4, 5)));

// Default font settings; -1 restores the default. 0.
int SetDefaultFontSize(int size);
int SetDefaultFontWeight(int thickness);
int SetDefaultFontStyle(int fontType);

// Width in pixels of the first `length` bytes of `text` (-1: the whole text).
int MeasureText(const char* text, int length, int vertical);

// ---------------------------------------------------------------------------------------------
// Sound

// Loads a sound file with up to `playBuffers` overlapping play buffers (at most 10 are used).
int LoadSoundFile(const char* path, int playBuffers, int unused);

// playType: 0 = wait until the sound ends, 1 = in the background, 3 = loop. fromStart 1
// restarts a buffer that is still playing.
int StartSound(int soundHandle, int playType, int fromStart);

int StopSound(int soundHandle);
