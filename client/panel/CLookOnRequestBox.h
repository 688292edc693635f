#pragma once
// CLookOnRequestBox: the notice box in which a player answers an onlooker's
// request to see his cards: the title "请求看牌", the onlooker's name and
// character picture, and the buttons 同意 and 拒绝, each posting the event
// its creator gave. The scene creates it and shows it with
// CGameFrameUI::PopupBox.
//
// Owner: the object module (it fades out and destroys itself after the first
// answer, as every message box). Thread: UI thread.
#include <cstdint>
#include <string>

#include "engine/widgets/GuiMessageBox.h"

namespace panel {

class CLookOnRequestBox : public engine::CGuiMessageBox {
public:
    static constexpr int32_t WIDTH = 280;
    static constexpr int32_t HEIGHT = 150;
    static constexpr int32_t PICTURE_SIZE = 64;

    CLookOnRequestBox() = default;

    /// Builds the box: run once, on a registered box.
    void Setup(const std::string& user_name, const std::string& picture, const engine::EngineEvent& consent,
               const engine::EngineEvent& refusal);
    [[nodiscard]] const std::string& GetUserName() const { return m_user_name; }

private:
    std::string m_user_name;
};

} // namespace panel
