// Decoding of gzip images (one or more members) held in memory, on zlib's raw
// inflate. Input that is not gzip comes back unchanged.
#pragma once

#include <cstddef>
#include <zlib.h>

namespace mapengine {

// Largest decoded size GunzipToBuffer produces unless the caller asks for less.
constexpr int kGunzipDefaultMaxOutput = 64 << 20;

class CGzipDecoder {
public:
  // Size of the input window and of the pieces decoded at a time.
  static constexpr int kWindowSize = 4096;

  CGzipDecoder() = default;
  ~CGzipDecoder();
  CGzipDecoder(const CGzipDecoder&) = delete;
  CGzipDecoder& operator=(const CGzipDecoder&) = delete;

  // Empty output, source position 0. The output grows in steps of blockSize
  // and never beyond maxOutput bytes.
  void Init(const unsigned char* source, int size, int blockSize, int maxOutput = kGunzipDefaultMaxOutput);
  // Decodes everything; 1 on success, 0 on bad data, a CRC mismatch, output
  // over the cap or when memory ran out.
  int DecodeAll();
  // Hands over the output (an engine block with a zero byte after its last
  // decoded byte) and forgets it. 1.
  int TakeResult(unsigned char** out, int* length);
  // Ends inflation when it was started and frees the window; the last status
  // when negative, else inflateEnd's result.
  int End();
  // Frees an output that was not handed over.
  void FreeBuffers();
  // Appends; -1 when the allocation fails or the cap would be passed, else length.
  int AppendOutput(const unsigned char* bytes, int length);
  // The next source byte through the window; -1 (and end of input) at the end.
  int GetByte();
  // Four bytes as a little-endian value; status -3 when the input ends.
  unsigned long GetLong();
  // Reads a member header (or switches to pass-through for non-gzip data).
  void CheckHeader();
  // Decodes up to size bytes: the count, 0 at the end, -1 after an error.
  int Read(unsigned char* buffer, int size);

  int GetStatus() const { return m_status; }

private:
  // Gives back one byte taken from the window.
  void PutBack();

  unsigned char* m_pOutput = nullptr;
  int m_nOutput = 0;
  int m_nCapacity = 0;
  z_stream m_stream{};
  bool m_inflateStarted = false;
  int m_status = 0;
  unsigned char* m_pWindow = nullptr;
  unsigned long m_crc = 0;
  bool m_endOfInput = false;
  bool m_passThrough = false;
  int m_sourcePos = 0;
  const unsigned char* m_pSource = nullptr;
  int m_nSource = 0;
  int m_nBlockSize = 1024;
  int m_nMaxOutput = kGunzipDefaultMaxOutput;
};

// Decodes a gzip image into a new engine block (free it with CVMem::Deallocate)
// followed by a zero byte. 0 for a null or empty source, null out-parameters,
// bad data, output over maxOutput or when memory ran out; else 1.
int GunzipToBuffer(const unsigned char* source, int size, unsigned char** out, int* length,
                   int maxOutput = kGunzipDefaultMaxOutput);

}  // namespace mapengine
