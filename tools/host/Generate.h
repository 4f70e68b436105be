// Generated payloads for tests and benchmarks. Content comes from a fixed
// pseudo-random sequence, so every build makes the same bytes.
#pragma once
#include <string>
#include <vector>

struct GeneratedEntry {
  std::string name;
  std::string timeText;  // "YYYY-MM-DD HH:MM:SS", on the DOS grid
  std::vector<unsigned char> data;
};

// The ten entries of the shipped payload with their names, sizes and times,
// filled with content that deflates about as well as the real files do.
std::vector<GeneratedEntry> FullSizeEntries();

// A few MB that deflate far better than five to one.
std::vector<GeneratedEntry> HighRatioEntries();
