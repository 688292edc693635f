#pragma once
// A fresh temporary folder for one test, removed afterwards.

#include <cstdlib>
#include <filesystem>
#include <string>

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

} // namespace platform::testing
