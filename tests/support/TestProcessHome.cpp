// Linked into every test and fuzz program (cmake/Pldk.cmake). Before main,
// the process gets a fresh temporary folder of its own as its per-user data
// and configuration folders (XDG_DATA_HOME, XDG_CONFIG_HOME), so the daily
// logs, the per-user store and the INI files a test or a fuzz run writes never
// reach the user's own folders, even when a test clears the folder overrides.
// The folder goes when the process ends normally (not in a forked child).
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

class CTestProcessHome {
public:
    CTestProcessHome()
    {
        const char* temp = std::getenv("TMPDIR");
        std::string pattern = std::string(temp != nullptr && temp[0] == '/' ? temp : "/tmp") + "/pldk-test-XXXXXX";
        if (::mkdtemp(pattern.data()) == nullptr)
            return;
        m_path = pattern;
        ::setenv("XDG_DATA_HOME", (m_path + "/data").c_str(), 1);
        ::setenv("XDG_CONFIG_HOME", (m_path + "/config").c_str(), 1);
    }
    ~CTestProcessHome()
    {
        if (m_path.empty() || ::getpid() != m_process)
            return;
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }
    CTestProcessHome(const CTestProcessHome&) = delete;
    CTestProcessHome& operator=(const CTestProcessHome&) = delete;

private:
    std::string m_path;
    pid_t m_process { ::getpid() };
};

const CTestProcessHome s_home;

} // namespace
