// Windows path texts in code page 932: name and extension parts, and joining within a buffer.
// A backslash separates only where it is not the second byte of a double-byte character.
#pragma once

// Paths hold at most this many bytes, in buffers one byte larger.
enum { MAX_PATH_BYTES = 260, PATH_BUFFER_SIZE = 261 };
// One entry's name: at most 255 UTF-16 units, each at most two bytes of the code page.
enum { MAX_NAME_BYTES = 510, NAME_BUFFER_SIZE = 511 };

const char* FileNamePart(const char* path);
char* CutFileName(char* path);
const char* FindExtension(const char* path);
// Whether the shell takes the file for a shortcut: its extension is ".lnk" in any letter case.
bool HasShortcutExtension(const char* path);
char* CutExtension(char* path);

// Joins folder and name with one backslash between them. The result always fits in size
// bytes; it returns false when the joined path had to be cut, because a cut path may name
// some other existing file and must never be acted on.
bool PathJoin(int size, char* destination, const char* folder, const char* name);

// True when the platform, given the path as a plain path, would read it as another name than
// the one written: a segment ending in a dot (the dot is dropped), a last segment ending in a
// space (dropped too), or a last segment that is a device name ("nul", "com1", "con.txt", "aux:"
// in any letter case: every folder holds the devices). "." and ".." are the path's own steps,
// and a path given literally ("\\?\") is taken as written.
bool PlatformRewritesPath(const char* path);
