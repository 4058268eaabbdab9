#include <zlib.h>

#include <cstdlib>

#include "extract/stream_decoder.h"

// zlib's one-call interface needs no state between items.
struct StreamDecoder {
  int unused;
};

StreamDecoder* CreateStreamDecoder() { return static_cast<StreamDecoder*>(std::calloc(1, sizeof(StreamDecoder))); }

void FreeStreamDecoder(StreamDecoder* decoder) { std::free(decoder); }

bool DecodeZlibStream(StreamDecoder*, const unsigned char* src, size_t srcLength, unsigned char* dst,
                      uint32_t capacity, uint32_t* produced) {
  static_assert(sizeof(uLong) >= sizeof(uint32_t));
  if (srcLength > ULONG_MAX) return false;
  // Given a capacity of 0, uncompress decodes into a scratch byte of its
  // own and reports success with length 0 even when the stream held a
  // byte. Let it write into dst (which has room to spare) and count.
  uLongf length = capacity == 0 ? 1 : capacity;
  int result = uncompress(dst, &length, src, static_cast<uLong>(srcLength));
  if (result != Z_OK || length > capacity) return false;
  *produced = static_cast<uint32_t>(length);
  return true;
}
