// The library's log file "Log.txt", its only error channel besides return values. Each line is
// the milliseconds since the log was started, a colon, one tab per nesting level and the text;
// every text also goes to the debugger output. Texts are zero-terminated Shift-JIS.
#pragma once

namespace kumo {

// Names the directory that holds "Log.txt"; start-up stores the current directory here before
// LogStart. Empty or none leaves the log not started, so that texts go nowhere. 0, or -1 when
// the name does not fit in 256 bytes (the log is then not started either).
int LogSetDirectory(const char* directory);

// Deletes "Log.txt" in the current directory and creates it empty; resets the tab level and the
// open line, and takes the start tick. 1.
int LogStart();

// Appends a text, each LF written as CR LF. A text that does not end with a line feed leaves
// its line open, and the next text continues it without time or tabs. Always -1, so that a
// failing operation can return it as its own result.
int LogWrite(const char* text);

// Formats with printf rules into a 1024-byte buffer, appends "\n" and writes it; a text too
// long for the buffer is cut so that the line feed still fits. -1.
int LogWriteFormat(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Formats with printf rules into a 1024-byte buffer and writes it as it is, for texts that carry
// their own line ends. -1.
int LogPrint(const char* format, ...) __attribute__((format(printf, 1, 2)));
// One tab more, or one less (never below 0), in front of each new line. 0.
int LogTabIn();
int LogTabOut();

// Starts the on-screen log area: -1 while there is no window, 0 otherwise (also when it has
// already started).
int ScreenLogStart();

// Ends the on-screen log: its font is gone and it counts as not started. 0.
int ScreenLogEnd();

}  // namespace kumo
