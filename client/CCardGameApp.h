// CCardGameApp: the card-game layer of the application. It adds the replay
// file named on the command line (which switches to stand-alone replay
// playback), the replay file type, and what a card game does when its
// connection fails.
// Owner: as CGameApp. Thread: UI thread.
#pragma once

#include <string>

#include "client/CGameApp.h"

namespace client {

inline constexpr const char* REPLAY_EXTENSION = ".qvrep";
inline constexpr const char* REPLAY_TYPE_NAME = "QvReplay";

class CCardGameApp : public CGameApp {
public:
    using CGameApp::CGameApp;

    [[nodiscard]] bool InitInstance() override;
    void RegisterReplayFileType();
    /// Keeps the path of an existing file named on the command line; a
    /// command line ending in "qvrep" switches to replay mode.
    virtual void OpenReplayFromCommandLine();
    virtual void OnNetworkFailure();
    /// Whether looker requests to see the cards are refused at once (the
    /// game's setting; never in the card-game layer).
    [[nodiscard]] virtual int32_t GetRejectKanPaiAsk() const { return 0; }
    [[nodiscard]] const std::string& GetReplayFilePath() const { return m_replay_path; }

private:
    std::string m_replay_path;
};

} // namespace client
