#include "engine/base/GzipDecoder.h"

#include <algorithm>
#include <cstring>

#include "engine/base/VMem.h"

namespace mapengine {

namespace {
constexpr int kStatusEnd = 1;
constexpr int kStatusBadData = -3;
constexpr int kStatusFailed = -1;
constexpr unsigned char kMagic[2] = {0x1f, 0x8b};
}  // namespace

CGzipDecoder::~CGzipDecoder() {
  End();
  FreeBuffers();
}

void CGzipDecoder::Init(const unsigned char* source, int size, int blockSize, int maxOutput) {
  FreeBuffers();
  m_pSource = source;
  m_nSource = source && size > 0 ? size : 0;
  m_sourcePos = 0;
  m_nBlockSize = blockSize > 0 ? blockSize : 1024;
  m_nMaxOutput = maxOutput > 0 ? maxOutput : 0;
  m_status = 0;
  m_endOfInput = false;
  m_passThrough = false;
}

int CGzipDecoder::DecodeAll() {
  m_pOutput = static_cast<unsigned char*>(CVMem::Allocate(static_cast<size_t>(m_nBlockSize) + 1));
  if (!m_pOutput) {
    return 0;
  }
  std::memset(m_pOutput, 0, static_cast<size_t>(m_nBlockSize) + 1);
  m_nCapacity = m_nBlockSize;
  m_nOutput = 0;
  if (!m_pSource) {
    return 0;
  }
  m_stream = z_stream{};
  m_crc = crc32(0L, Z_NULL, 0);
  if (inflateInit2(&m_stream, -MAX_WBITS) != Z_OK) {
    End();
    return 0;
  }
  m_inflateStarted = true;
  CheckHeader();
  unsigned char piece[kWindowSize];
  bool appended = true;
  for (;;) {
    int n = Read(piece, kWindowSize);
    if (n <= 0) {
      break;
    }
    // Past the cap nothing more is wanted: stop instead of inflating the rest.
    if (AppendOutput(piece, n) < 0) {
      appended = false;
      break;
    }
  }
  int end = End();
  return appended && end >= 0 ? 1 : 0;
}

int CGzipDecoder::TakeResult(unsigned char** out, int* length) {
  *out = m_pOutput;
  *length = m_nOutput;
  m_pOutput = nullptr;
  m_nOutput = m_nCapacity = 0;
  return 1;
}

int CGzipDecoder::End() {
  int result = 0;
  if (m_inflateStarted) {
    result = inflateEnd(&m_stream);
    m_inflateStarted = false;
  }
  return m_status < 0 ? m_status : result;
}

void CGzipDecoder::FreeBuffers() {
  CVMem::Deallocate(m_pOutput);
  m_pOutput = nullptr;
  m_nOutput = m_nCapacity = 0;
}

int CGzipDecoder::AppendOutput(const unsigned char* bytes, int length) {
  if (length < 0 || m_nOutput > m_nMaxOutput - length) {
    return -1;
  }
  int needed = m_nOutput + length;
  if (needed > m_nCapacity) {
    long long capacity = (static_cast<long long>(needed) / m_nBlockSize + 1) * m_nBlockSize;
    auto* grown = static_cast<unsigned char*>(CVMem::Allocate(static_cast<size_t>(capacity) + 1));
    if (!grown) {
      return -1;
    }
    std::memset(grown, 0, static_cast<size_t>(capacity) + 1);
    if (m_nOutput > 0) {
      std::memcpy(grown, m_pOutput, static_cast<size_t>(m_nOutput));
    }
    CVMem::Deallocate(m_pOutput);
    m_pOutput = grown;
    m_nCapacity = static_cast<int>(capacity);
  }
  if (length > 0) {
    std::memcpy(m_pOutput + m_nOutput, bytes, static_cast<size_t>(length));
  }
  m_nOutput = needed;
  return length;
}

int CGzipDecoder::GetByte() {
  if (m_sourcePos >= m_nSource) {
    m_endOfInput = true;
    return -1;
  }
  return m_pSource[m_sourcePos++];
}

void CGzipDecoder::PutBack() {
  if (m_sourcePos > 0) {
    --m_sourcePos;
    m_endOfInput = false;
  }
}

unsigned long CGzipDecoder::GetLong() {
  unsigned long value = 0;
  for (int i = 0; i < 4; ++i) {
    int c = GetByte();
    if (c < 0) {
      m_status = kStatusBadData;
      return value;
    }
    value |= static_cast<unsigned long>(c) << (8 * i);
  }
  return value;
}

void CGzipDecoder::CheckHeader() {
  for (int i = 0; i < 2; ++i) {
    int c = GetByte();
    if (c == kMagic[i]) {
      continue;
    }
    if (c >= 0) {
      PutBack();
    }
    if (i == 1) {
      PutBack();
    }
    // Not gzip: whatever is left is handed on unchanged.
    m_passThrough = m_sourcePos < m_nSource;
    m_status = m_passThrough ? 0 : kStatusEnd;
    return;
  }
  int method = GetByte();
  int flags = GetByte();
  if (method != Z_DEFLATED || flags < 0 || (flags & 0xE0) != 0) {
    m_status = kStatusBadData;
    return;
  }
  for (int i = 0; i < 6; ++i) {
    GetByte();
  }
  if (flags & 0x04) {
    int low = GetByte();
    int high = GetByte();
    int extra = low < 0 || high < 0 ? 0 : low | (high << 8);
    while (extra-- > 0 && GetByte() >= 0) {
    }
  }
  for (int flag : {0x08, 0x10}) {
    if (flags & flag) {
      int c;
      while ((c = GetByte()) > 0) {
      }
    }
  }
  if (flags & 0x02) {
    GetByte();
    GetByte();
  }
  m_status = m_endOfInput ? kStatusBadData : 0;
}

int CGzipDecoder::Read(unsigned char* buffer, int size) {
  if (m_status == kStatusFailed || m_status == kStatusBadData) {
    return -1;
  }
  if (m_status == kStatusEnd || size <= 0) {
    return 0;
  }
  if (m_passThrough) {
    int n = std::min(size, m_nSource - m_sourcePos);
    if (n > 0) {
      std::memcpy(buffer, m_pSource + m_sourcePos, static_cast<size_t>(n));
      m_sourcePos += n;
    } else {
      m_endOfInput = true;
    }
    return n;
  }
  m_stream.next_out = buffer;
  m_stream.avail_out = static_cast<uInt>(size);
  unsigned char* crcStart = buffer;
  while (m_stream.avail_out > 0) {
    int available = std::min(kWindowSize, m_nSource - m_sourcePos);
    m_stream.next_in = const_cast<Bytef*>(m_pSource + m_sourcePos);
    m_stream.avail_in = static_cast<uInt>(available);
    int ret = inflate(&m_stream, Z_NO_FLUSH);
    m_sourcePos += available - static_cast<int>(m_stream.avail_in);
    if (ret == Z_STREAM_END) {
      m_crc = crc32(m_crc, crcStart, static_cast<uInt>(m_stream.next_out - crcStart));
      crcStart = m_stream.next_out;
      unsigned long stored = GetLong();
      if (m_status == 0 && stored != (m_crc & 0xFFFFFFFFUL)) {
        m_status = kStatusBadData;
      }
      GetLong();  // the stored length is not checked
      if (m_status != 0) {
        break;
      }
      CheckHeader();
      if (m_status != 0 || m_passThrough) {
        break;
      }
      inflateReset(&m_stream);
      m_crc = crc32(0L, Z_NULL, 0);
      continue;
    }
    if (ret != Z_OK) {
      // Z_BUF_ERROR here means the input ended inside the compressed data.
      m_status = ret == Z_MEM_ERROR ? kStatusFailed : kStatusBadData;
      break;
    }
    if (available == 0 && m_stream.avail_out > 0) {
      m_endOfInput = true;
      m_status = kStatusBadData;
      break;
    }
  }
  m_crc = crc32(m_crc, crcStart, static_cast<uInt>(m_stream.next_out - crcStart));
  return static_cast<int>(m_stream.next_out - buffer);
}

int GunzipToBuffer(const unsigned char* source, int size, unsigned char** out, int* length, int maxOutput) {
  if (!source || size <= 0 || !out || !length) {
    return 0;
  }
  CGzipDecoder decoder;
  decoder.Init(source, size, 1024, maxOutput);
  if (!decoder.DecodeAll()) {
    return 0;
  }
  return decoder.TakeResult(out, length);
}

}  // namespace mapengine
