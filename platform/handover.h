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
// The file's bytes, stopping once there are more than limit. False when it cannot be opened or
// read; error is then the errno that said why.
bool platformReadFile(const std::string& path, std::string& bytes, std::size_t limit, int& error);
// True when both files can be read and hold the same bytes.
bool platformSameFileContents(const std::string& a, const std::string& b);

// path holds bytes, mode 0755: written to path + ".part" (every write checked, synced), renamed
// over path, the folder synced. False on any failure, with no ".part" left behind.
bool platformWriteExecutable(const std::string& path, const std::string& bytes);
// The user may make files in folder / may run path (a regular file).
bool platformFolderWritable(const std::string& folder);
bool platformIsExecutable(const std::string& path);
