#pragma once
// IUrlOpener: how the rich-text widgets hand a URL to the user's browser.
// CXdgUrlOpener, the one installed by default, starts `xdg-open` with the URL
// as its only argument (platform::StartProcess, never through a shell) and accepts only
// http, https and ftp URLs; tests install a recording opener instead.
//
// Owner: the installer keeps the opener alive while installed; the widgets
// only borrow it. Thread: UI thread (install and use).
// Hazards: URLs come from other players' markup: they are checked here, at
// the last step before leaving the program, whatever the caller checked.

#include <string>
#include <string_view>

namespace engine {

class IUrlOpener {
public:
    virtual ~IUrlOpener() = default;
    /// url is GBK text. True when the URL was handed on.
    virtual bool OpenUrl(std::string_view url) = 0;
};

class CXdgUrlOpener final : public IUrlOpener {
public:
    bool OpenUrl(std::string_view url) override;
    /// True when the URL's scheme is http, https or ftp (any case), something
    /// follows it and it holds no control bytes or spaces.
    [[nodiscard]] static bool IsAllowedUrl(std::string_view url);
};

/// The opener in use (CXdgUrlOpener unless one was installed).
[[nodiscard]] IUrlOpener& GetUrlOpener();
/// Installs opener (null: back to CXdgUrlOpener); answers the one it replaces.
IUrlOpener* SetUrlOpener(IUrlOpener* opener);

} // namespace engine
