// zlib streams for the payload tool: level 9 deflate, and a strict inflate
// that tells a damaged payload apart from a good one.
#pragma once
#include <string>
#include <vector>

// A zlib stream (RFC 1950) of `data`, level 9, 32 KB window: starts 0x78 0xDA.
std::vector<unsigned char> ZlibCompress(const std::vector<unsigned char>& data);

// Inflates exactly one zlib stream that must span all of `in`. False with a
// message on a zlib error, a preset dictionary, a stream that ends early,
// bytes after the checksum, or an output of 2 GiB or more.
bool ZlibInflateStrict(const std::vector<unsigned char>& in, std::vector<unsigned char>& out,
                       std::string& error);
