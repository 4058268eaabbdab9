// The zlib stream decoder, behind one call so that its implementation can
// change without touching the rest.
#pragma once

#include <cstddef>
#include <cstdint>

struct StreamDecoder;

// One decoder serves a whole run. nullptr when memory ran out.
StreamDecoder* CreateStreamDecoder();
void FreeStreamDecoder(StreamDecoder* decoder);

// Decodes one whole zlib stream (RFC 1950) from src into dst. True when the
// stream ended within src, produced at most capacity bytes and its Adler-32
// matched; *produced is then the number of bytes written. Bytes after the
// stream's end are ignored. Any other outcome, a failure to get working
// memory included, is false.
bool DecodeZlibStream(StreamDecoder* decoder, const unsigned char* src, size_t srcLength,
                      unsigned char* dst, uint32_t capacity, uint32_t* produced);
