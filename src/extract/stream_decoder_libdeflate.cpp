#include <libdeflate.h>

#include <cstdlib>

#include "extract/stream_decoder.h"

// The decompressor is set up once and serves every item of the run.
struct StreamDecoder {
  libdeflate_decompressor* decompressor;
};

StreamDecoder* CreateStreamDecoder() {
  auto* decoder = static_cast<StreamDecoder*>(std::malloc(sizeof(StreamDecoder)));
  if (decoder == nullptr) return nullptr;
  decoder->decompressor = libdeflate_alloc_decompressor();
  if (decoder->decompressor == nullptr) {
    std::free(decoder);
    return nullptr;
  }
  return decoder;
}

void FreeStreamDecoder(StreamDecoder* decoder) {
  if (decoder == nullptr) return;
  libdeflate_free_decompressor(decoder->decompressor);
  std::free(decoder);
}

bool DecodeZlibStream(StreamDecoder* decoder, const unsigned char* src, size_t srcLength, unsigned char* dst,
                      uint32_t capacity, uint32_t* produced) {
  // With an actual-size pointer, fewer bytes than the capacity is success,
  // more is LIBDEFLATE_INSUFFICIENT_SPACE, and bytes after the Adler-32 are
  // ignored: the same outcomes as zlib's uncompress.
  size_t length = 0;
  libdeflate_result result =
      libdeflate_zlib_decompress(decoder->decompressor, src, srcLength, dst, capacity, &length);
  if (result != LIBDEFLATE_SUCCESS) return false;
  *produced = static_cast<uint32_t>(length);
  return true;
}
