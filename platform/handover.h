// The patch hand-over between the game and ts_update: the patch folder, program start and the
// file steps of putting an executable in place (the settings file is written with them too).
// Plain POSIX (no SDL), so ts_update links it too.
#pragma once
#include <cstddef>
#include <string>

// The suffix of executable file names: empty on Linux.
const char* platformExecutableSuffix();

// Makes the folder and any missing parents (mode 0700); true when it is a folder afterwards.
bool platformCreateFolders(const std::string& path);

// "$XDG_DATA_HOME/Quorvane/Tessarine/Patch/" ($XDG_DATA_HOME unset, empty or relative:
// "$HOME/.local/share"), made with its parents; ends in "/". Empty when neither variable gives a
// folder, or when it cannot be made.
std::string platformPatchFolder();

// Starts the program at path in a new session: no arguments, the working directory inherited,
// default signal handling, never a PATH search. The child's id, or -1 when it could not start.
int platformLaunchProgram(const std::string& path);

// File steps; each reports whether it did its whole job.
bool platformFileExists(const std::string& path);
// A regular file (or a link to one) that holds no bytes.
bool platformFileEmpty(const std::string& path);
// A new file `to` (never an existing one) with from's bytes, mode 0755, synced to disk.
bool platformCopyFile(const std::string& from, const std::string& to);
bool platformLinkFile(const std::string& from, const std::string& to);
// Atomically replaces `to` when it exists.
bool platformRenameFile(const std::string& from, const std::string& to);
// True when path is gone afterwards, also when it was never there.
bool platformRemoveFile(const std::string& path);
bool platformSyncFolder(const std::string& folder);
// Every byte to the open file descriptor, going on after interruptions and short writes.
bool platformWriteAll(int fd, const char* data, std::size_t size);
// What the file steps below give as error for a path that is no regular file (a FIFO, a device, a
// socket): never an errno.
inline constexpr int platformNotARegularFile = -1;
// An error's words: strerror's, or "not a regular file".
std::string platformErrorText(int error);
// Opens path with flags (O_RDONLY; or O_WRONLY with O_APPEND and O_CREAT, made mode 0600) only when
// it is a regular file or a link to one, without ever waiting: a FIFO with no writer would hold
// open() for good. The descriptor (close-on-exec), or -1 with error saying why.
int platformOpenRegularFile(const std::string& path, int flags, int& error);
// A regular file's bytes, at most limit of them: a larger file is refused by its size (EFBIG) before
// a byte is read, as a sparse file costs nothing to make. False when it cannot be opened or read;
// error is then why (an errno, or platformNotARegularFile). With ownerOnly, a file it read that
// others may use is made its owner's only (mode 0600) through the descriptor it read, never by the
// name, which may stand for another file by then.
bool platformReadFile(const std::string& path, std::string& bytes, std::size_t limit, int& error,
                      bool ownerOnly = false);
// True when both are regular files that can be read and hold the same bytes; compared a piece at
// a time, whatever their size.
bool platformSameFileContents(const std::string& a, const std::string& b);

// path holds bytes, mode 0755: written to path + ".part" (every write checked, synced), renamed
// over path, the folder synced. False on any failure, with no ".part" left behind.
bool platformWriteExecutable(const std::string& path, const std::string& bytes);
// The user may make files in folder / may run path (a regular file).
bool platformFolderWritable(const std::string& folder);
bool platformIsExecutable(const std::string& path);
