#include "common/ErrorLog.h"

#include <cstdio>
#include <ctime>
#include <fstream>

namespace qs {

ErrorLog::ErrorLog(std::string path, Clock clock)
    : path_(std::move(path)), clock_(std::move(clock)) {
    if (!clock_)
        clock_ = [] { return std::chrono::system_clock::now(); };
}

std::string ErrorLog::timeStamp(std::chrono::system_clock::time_point when) {
    const std::time_t t = std::chrono::system_clock::to_time_t(when);
    std::tm local{};
    localtime_r(&t, &local);
    char buf[64];
    std::snprintf(buf, sizeof buf, "%02d/%02d/%04d %02d:%02d", local.tm_mday, local.tm_mon + 1,
                  local.tm_year + 1900, local.tm_hour, local.tm_min);
    return buf;
}

void ErrorLog::LogError(const std::string& message) const {
    if (path_.empty())
        return;
    try {
        std::ofstream out(path_, std::ios::binary | std::ios::app);
        if (!out)
            return;
        out << timeStamp(clock_()) << " - " << message << "\r\n";
    } catch (...) {
        // The log is a courtesy: failing to write it must never disturb the search.
    }
}

} // namespace qs
