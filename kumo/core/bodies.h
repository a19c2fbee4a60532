// The bodies of the public operations of kumo/kumo.h: the internal operations that do the work,
// each defined by the subsystem that owns it and called by its entry point under the lock.
#pragma once

#include "kumo/kumo.h"

namespace kumo {

int InitLibraryBody();
int EndLibraryBody();

int FileOpenForReadBody(const char* path, int asyncFlag);
int FileCloseReadBody(int fileHandle);
int FileIsEofBody(int fileHandle);
int FileReadLineBody(char* buffer, int bufferSize, int fileHandle);

int ProcessMessageBody();
int ChangeWindowModeBody(int windowFlag);

int GetTickMillisBody(int ignored);
int IsKeyDownBody(int keyCode);
int GetPadStateBody(int selector);

const DDPIXELFORMAT* GetScreenPixelFormatBody();
int MakeColorBody(int red, int green, int blue);
int BuildColorFormatBody(ColorFormat* format, int bits, uint32_t redMask, uint32_t greenMask,
                         uint32_t blueMask, uint32_t alphaMask);
int BuildDDPixelFormatBody(DDPIXELFORMAT* format, int bits, uint32_t redMask, uint32_t greenMask,
                           uint32_t blueMask, uint32_t alphaMask);
int FlipScreenBody();
int ClearScreenBody();
int SetDrawTargetBody(int target);
int ClipRectBody(Rect* rect, const Rect* clip);

int LoadGraphFileBody(const char* path, int flag);
int LoadGraphGridBody(const char* path, int total, int across, int down, int cellWidth,
                      int cellHeight, int* handles, int flag);
int PutGraphBody(int x, int y, int graphHandle, int transparent);
int PutGraphRotatedBody(int x, int y, double scale, double angle, int graphHandle, int transparent,
                        int mirror);

int PrintTextBody(int x, int y, const char* text, int color, int edgeColor);
int SetDefaultFontSizeBody(int size);
int SetDefaultFontWeightBody(int thickness);
int SetDefaultFontStyleBody(int fontType);
int MeasureTextBody(const char* text, int length, int vertical);

int LoadSoundFileBody(const char* path, int playBuffers, int unused);
int StartSoundBody(int soundHandle, int playType, int fromStart);
int StopSoundBody(int soundHandle);

}  // namespace kumo
