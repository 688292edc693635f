// A fresh temporary folder for one test, removed afterwards; it also becomes
// the per-user config folder while the test runs.
#pragma once

#include <filesystem>
#include <fstream>
#include <string>

#include "platform/Path.h"
#include "tests/platform/TempFolder.h"

namespace client_test {

class CTempConfigFolder : public platform::testing::CTempFolder {
public:
    CTempConfigFolder() { platform::SetUserConfigFolder(Path()); }
    ~CTempConfigFolder() { platform::SetUserConfigFolder(""); }

    /// Writes a file (and its folders) under the folder.
    void WriteFile(const std::string& name, const std::string& text) const
    {
        const std::filesystem::path path = Path() + name;
        std::filesystem::create_directories(path.parent_path());
        std::ofstream(path) << text;
    }
};

} // namespace client_test
