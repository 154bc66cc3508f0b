#pragma once
// The append-only error log: one "DD/MM/YYYY hh:mm - message" entry per error.
#include <chrono>
#include <functional>
#include <string>

namespace qs {

class ErrorLog {
  public:
    using Clock = std::function<std::chrono::system_clock::time_point()>;

    explicit ErrorLog(std::string path, Clock clock = nullptr);

    // Appends one entry; any failure (read-only folder, full disk) is swallowed.
    void LogError(const std::string& message) const;

    const std::string& path() const { return path_; }

    // "DD/MM/YYYY hh:mm" in local time.
    static std::string timeStamp(std::chrono::system_clock::time_point when);

  private:
    std::string path_;
    Clock clock_;
};

} // namespace qs
