// What bmpcheck asks of the system beyond the loader's kernel services:
// what a path names and which file it is, and its lines on the console.
// One file per system (bmpcheck_posix.cpp, bmpcheck_win32.cpp), chosen when
// bmpcheck is linked.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

// A file by identity, so that two spellings of one path, or two links to
// one file, are seen as one: its volume (device) and its number there.
struct FileId {
    uint64_t volume;
    uint64_t index;
};

enum class PathKind { kNothing, kFile, kFolder, kOther };

// What `path` names. Its identity goes to *id for a file; a path the system
// cannot open or describe is kNothing.
PathKind LookAtPath(const std::string &path, FileId *id);

// Writes `text`, in the system's encoding (a path as the user gave it), to
// stdout or stderr as the terminal or console shows that encoding. False
// when it could not be written (a full disk, a closed pipe).
bool WriteText(FILE *stream, const std::string &text);
