// The home folder page's text rule, apart from its controls.
#pragma once
#include <string>

// The edit's text tidied: blanks (only blanks) trimmed at both ends; a text
// naming no drive becomes the chosen drive's root (`drive`, a lower-case
// letter; any other value: the text is kept); one trailing backslash
// dropped; a drive root or the Program Files folder gets the host's folder
// name "Quillora" added.
std::string NormalizedHomeFolder(const std::string& text, char drive, const std::string& programFiles);
