#include "HomeFolder.h"

#include "FileCtrl.h"
#include "InstUtils.h"

std::string NormalizedHomeFolder(const std::string& edit, char drive, const std::string& programFiles) {
  std::string text = edit;
  while (!text.empty() && text.front() == ' ') DeleteFirstChar(text);
  while (!text.empty() && text.back() == ' ') DeleteLastChar(text);
  // What was typed there is discarded. Before any drive was chosen there is
  // no letter to give it.
  if (DrivePart(text).empty() && drive >= 'a' && drive <= 'z') text = std::string(1, drive) + ":";
  if (!text.empty() && LastChar(text) == '\\') DeleteLastChar(text);
  if (!text.empty() && (NamePart(text).empty() || EqualsNoCase(text, programFiles))) text = JoinPath(text, "Quillora");
  return text;
}
