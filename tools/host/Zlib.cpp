#include "Zlib.h"

#include <zlib.h>

#include <algorithm>
#include <cstdint>
#include <stdexcept>

std::vector<unsigned char> ZlibCompress(const std::vector<unsigned char>& data) {
  z_stream zs{};
  // windowBits 15 and the default memLevel: the same stream as compress2(..., 9).
  if (deflateInit2(&zs, 9, Z_DEFLATED, 15, 8, Z_DEFAULT_STRATEGY) != Z_OK)
    throw std::runtime_error("deflateInit2 failed");
  std::vector<unsigned char> out(deflateBound(&zs, data.size()));
  zs.next_in = const_cast<unsigned char*>(data.data());
  zs.avail_in = static_cast<uInt>(data.size());
  zs.next_out = out.data();
  zs.avail_out = static_cast<uInt>(out.size());
  int rc = deflate(&zs, Z_FINISH);
  size_t produced = zs.total_out;
  deflateEnd(&zs);
  if (rc != Z_STREAM_END) throw std::runtime_error("deflate did not finish");
  out.resize(produced);
  return out;
}

bool ZlibInflateStrict(const std::vector<unsigned char>& in, std::vector<unsigned char>& out,
                       std::string& error) {
  out.clear();
  if (in.size() < 2) {
    error = "the stream is shorter than a zlib header";
    return false;
  }
  // Checked here as well as by zlib so that the message names the cause.
  const unsigned cmf = in[0], flg = in[1];
  if ((cmf & 0x0F) != 8 || (cmf >> 4) > 7 || (cmf * 256 + flg) % 31 != 0) {
    error = "not a zlib header (deflate, window of at most 32 KB)";
    return false;
  }
  if (flg & 0x20) {
    error = "the stream asks for a preset dictionary";
    return false;
  }
  z_stream zs{};
  if (inflateInit(&zs) != Z_OK) {
    error = "inflateInit failed";
    return false;
  }
  zs.next_in = const_cast<unsigned char*>(in.data());
  zs.avail_in = static_cast<uInt>(in.size());
  const size_t kLimit = 0x7FFFFFFF;
  out.resize(in.size() * 5 + 256);
  int rc = Z_OK;
  for (;;) {
    if (zs.total_out == out.size()) {
      if (out.size() >= kLimit) {
        error = "the inflated data reaches 2 GiB";
        break;
      }
      out.resize(std::min<size_t>(kLimit, out.size() * 2));
    }
    zs.next_out = out.data() + zs.total_out;
    zs.avail_out = static_cast<uInt>(out.size() - zs.total_out);
    rc = inflate(&zs, Z_NO_FLUSH);
    if (rc == Z_STREAM_END) break;
    if (rc == Z_NEED_DICT) {
      error = "the stream asks for a preset dictionary";
      break;
    }
    if (rc == Z_DATA_ERROR) {
      error = std::string("zlib data error: ") + (zs.msg ? zs.msg : "damaged stream");
      break;
    }
    if (rc == Z_MEM_ERROR) {
      error = "out of memory while inflating";
      break;
    }
    if (rc == Z_BUF_ERROR && zs.avail_in == 0) {
      error = "the stream ends before its end mark and checksum (truncated)";
      break;
    }
    if (rc != Z_OK && rc != Z_BUF_ERROR) {
      error = "inflate failed";
      break;
    }
  }
  const size_t consumed = in.size() - zs.avail_in;
  const size_t produced = zs.total_out;
  inflateEnd(&zs);
  if (rc != Z_STREAM_END) {
    out.clear();
    return false;
  }
  if (consumed != in.size()) {
    error = std::to_string(in.size() - consumed) + " bytes follow the end of the zlib stream";
    out.clear();
    return false;
  }
  out.resize(produced);
  return true;
}
