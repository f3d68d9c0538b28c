// A fresh folder per test (path ending in '/'), removed afterwards.
#pragma once

#include <unistd.h>

#include <filesystem>
#include <string>

namespace test {

class TempFolder {
public:
  TempFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "nxrender-XXXXXX").string();
    m_path = ::mkdtemp(pattern.data()) ? pattern + "/" : std::string();
  }
  ~TempFolder() {
    std::error_code ec;
    if (!m_path.empty()) {
      std::filesystem::remove_all(m_path, ec);
    }
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  const std::string& path() const { return m_path; }

private:
  std::string m_path;
};

}  // namespace test
