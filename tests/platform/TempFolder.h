#pragma once
// A fresh temporary folder for one test, removed afterwards; CTempLogFolder
// also makes it the daily log's folder while it lives.

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "platform/DailyLog.h"

namespace platform::testing {

class CTempFolder {
public:
    CTempFolder()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "pldk-platform-XXXXXX").string();
        if (char* made = ::mkdtemp(pattern.data()))
            m_path = made;
    }
    ~CTempFolder()
    {
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }
    CTempFolder(const CTempFolder&) = delete;
    CTempFolder& operator=(const CTempFolder&) = delete;

    // The folder with a trailing '/'; plain ASCII, so it is the same in GBK.
    [[nodiscard]] std::string Path() const { return m_path + "/"; }
    [[nodiscard]] std::string operator/(const std::string& name) const { return Path() + name; }

private:
    std::string m_path;
};

class CTempLogFolder : public CTempFolder {
public:
    CTempLogFolder() { platform::CDailyLog::Instance().SetFolder(Path()); }
    ~CTempLogFolder()
    {
        platform::CDailyLog::Instance().Close();
        platform::CDailyLog::Instance().SetFolder("");
    }

    // The text of every log file whose name starts with prefix ("" for all),
    // after closing the log so that everything written is on disk.
    [[nodiscard]] std::string ReadLogs(const std::string& prefix = "") const
    {
        platform::CDailyLog::Instance().Close();
        std::string found;
        for (const auto& entry : std::filesystem::directory_iterator(Path())) {
            if (entry.path().filename().string().rfind(prefix, 0) != 0)
                continue;
            std::ifstream in(entry.path(), std::ios::binary);
            std::stringstream text;
            text << in.rdbuf();
            found += text.str();
        }
        return found;
    }
};

} // namespace platform::testing
