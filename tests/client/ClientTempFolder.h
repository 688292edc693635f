// A fresh temporary folder for one test, removed afterwards; it also becomes
// the per-user config folder while the test runs.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/Path.h"

namespace client_test {

class CTempConfigFolder {
public:
    CTempConfigFolder()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "pldk-client-XXXXXX").string();
        if (char* made = ::mkdtemp(pattern.data()))
            m_path = made;
        platform::SetUserConfigFolder(Path());
    }
    ~CTempConfigFolder()
    {
        platform::SetUserConfigFolder("");
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }
    CTempConfigFolder(const CTempConfigFolder&) = delete;
    CTempConfigFolder& operator=(const CTempConfigFolder&) = delete;

    /// The folder with a trailing '/' (plain ASCII, the same in GBK).
    [[nodiscard]] std::string Path() const { return m_path + "/"; }

    /// Writes a file (and its folders) under the folder.
    void WriteFile(const std::string& name, const std::string& text) const
    {
        const std::filesystem::path path = m_path + "/" + name;
        std::filesystem::create_directories(path.parent_path());
        std::ofstream(path) << text;
    }

private:
    std::string m_path;
};

} // namespace client_test
