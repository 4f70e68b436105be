// The payload container: a plain concatenation of entries
//   u8 name length n | n name bytes | f64 LE time | s32 LE size | size data bytes
// No Win32 here: the native payload tool shares this code.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct ContainerEntry {
  std::string name;
  double modTime;      // TDateTime, local
  int32_t size;
  int32_t dataOffset;  // of the first data byte in the container
};

enum class ContainerError {
  None,
  TruncatedHeader,  // an entry's header runs past the end
  NegativeSize,
  TruncatedData,    // an entry's data runs past the end
  DuplicateName,    // two names equal ignoring ASCII case
  TooLarge,         // over 2 GiB: offsets are signed 32-bit
};

const char* ContainerErrorText(ContainerError e);

// Parses the whole container or nothing: on error `entries` is left empty and
// `errorOffset` names the offending entry's first byte.
ContainerError ParseContainer(const unsigned char* data, size_t size,
                              std::vector<ContainerEntry>& entries, size_t* errorOffset = nullptr);

// Appends one entry (the payload tool's side).
void AppendEntry(std::vector<unsigned char>& out, const std::string& name, double modTime,
                 const unsigned char* data, size_t size);
