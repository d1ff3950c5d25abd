// The program's log: "console.log" in the working directory, one line a message ending "\r\n",
// and the last 20 lines in memory for the on-screen console.
#pragma once
#include <cstddef>
#include <string>
#include <vector>

// The last 20 logged lines, oldest first, for the on-screen console.
extern std::vector<std::string> consoleLines;
constexpr std::size_t consoleLineLimit = 20;

// Appends one line to "console.log" (ending "\r\n") and to consoleLines. The file stays open from
// one line to the next and every line is flushed at once, so a crash still leaves every line.
void logMessage(std::string message);
// The text with every byte outside printable ASCII, and the backslash, written as "\xNN": what
// came from outside (a reply of the web service) is logged through it, so it can neither make a
// line of its own nor move a terminal.
std::string printableText(const std::string& text);
// Empties a log file ("console.log", "trace.log"). The open "console.log" is closed first, so the
// next line opens it again in the working directory of that moment; lines held back are written
// into it first.
void clearLogFile(const char* path);
// From now on until "console.log" is next emptied, lines go to consoleLines only and are held
// back from the file: an older copy of the program may still be writing to it.
void holdLogLines();
// Closes "console.log"; the next line opens it again in the working directory of that moment.
void closeLogFile();
