// Helpers shared by the units of InstUtils; not for other callers.
#pragma once
#include <windows.h>
#include <string>

// True when s[index] is the second byte of a double-byte character.
bool IsTrailByteAt(const std::string& s, size_t index);
// True when the last character (not merely the last byte) is '\' or '/'.
bool EndsWithDelimiter(const std::string& s);
// Removes a link (junction, symbolic link to a folder or a file) itself,
// never its target; false when that cannot be done safely.
bool RemoveLink(const std::string& link);
// Removes one entry a folder search found: a link as a link (never
// followed), a folder with all it holds, anything else as a file. Failures
// are ignored.
void RemoveFoundEntry(const std::string& fullName, DWORD attributes);
// Frees the stack of saved current directories (program end).
void ReleaseFolderStack();
