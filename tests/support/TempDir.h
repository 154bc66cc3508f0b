#pragma once
// A fresh folder per test, removed afterwards.
#include <filesystem>
#include <string>

namespace qs::test {

class TempDir {
  public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::string str() const { return path_.string(); }
    // Writes a file (creating folders) and answers its full path.
    std::string write(const std::string& relative, const std::string& bytes) const;
    std::string read(const std::string& relative) const;

  private:
    std::filesystem::path path_;
};

std::string readFile(const std::string& path);

} // namespace qs::test
