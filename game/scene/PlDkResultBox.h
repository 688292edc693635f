#pragma once
// CPlDkResultBox: the box that shows a round's result on this game's table.
// A canvas of the skin image "游戏结果框" on the top layer, four 32 x 32
// character pictures (one per row), and the close, OK and continue buttons,
// all following the box. It is built on the first Show and repainted from a
// result box plan on every Show.
//
// Its events: the buttons and the box's right press send GAMEMSG_RESULT_CLOSE
// (the continue button GAMEMSG_RESULT_CONTINUE outside a match room) and the
// pictures GAMEMSG_SHOW_CHARACTER (parameter 1 the row's character id) and
// GAMEMSG_HIDE_CHARACTER to the target (the scene). The box is dragged by the
// engine's own drag on itself, so a drag sends the scene nothing: the
// number the scene would have been sent for it (80000100) means a settings
// change to the settings board and stays that board's alone.
//
// Owner: the scene holds one beside it; the box keeps only object ids and
// looks its objects up through the creator, so an object destroyed with the
// scene is never touched through a stale pointer. The objects belong to the
// object module. Thread: UI thread, inside the engine tick or under the tick
// lock.
// Hazards: the figures and chairs come from the server's result record; the
// plan bounds them (rows whose chair is not 0 to 3 are left out).

#include <array>
#include <cstdint>

#include "game/scene/CardGameScene.h"
#include "game/scene/ResultBoxPlan.h"

namespace client {
class CGameApp;
}

namespace engine {
class CCanvasObject;
class CEngineEntity;
class CGuiButton;
class CGuiImageText;
} // namespace engine

namespace scene {

inline constexpr const char* RESULT_CLOSE_IMAGE = "结果框关闭按钮";
inline constexpr const char* RESULT_OK_IMAGE = "结果框确定";
inline constexpr const char* RESULT_CONTINUE_IMAGE = "结果框继续游戏";

class CPlDkResultBox {
public:
    static constexpr double BOX_DEPTH = 60000.0;
    static constexpr int32_t PICTURE_SIZE = 32;
    enum class Part { Close, Ok, Continue, Count };

    /// creator: registers the objects; target: the id their events go to;
    /// app: where the character pictures are found.
    CPlDkResultBox(engine::CEngineEntity& creator, uint32_t target, const client::CGameApp& app)
        : m_creator(creator), m_target(target), m_app(app)
    {
    }
    CPlDkResultBox(const CPlDkResultBox&) = delete;
    CPlDkResultBox& operator=(const CPlDkResultBox&) = delete;

    /// Builds the box when it does not exist yet, then repaints it from the
    /// plan (figures through digit_pen, none without it), sets the continue
    /// button for a player or an onlooker and shows the box. Null when the
    /// box cannot be made (no object module).
    engine::CCanvasObject* Show(const ResultBoxPlan& plan, engine::CGuiImageText* digit_pen);

    [[nodiscard]] engine::CCanvasObject* GetBox() const;
    [[nodiscard]] engine::CCanvasObject* GetPicture(int row) const;
    [[nodiscard]] engine::CGuiButton* GetButton(Part part) const;

private:
    engine::CCanvasObject* Build();
    void DrawPicture(engine::CCanvasObject& box, int row, const ResultRowPlan& plan);

    engine::CEngineEntity& m_creator;
    uint32_t m_target;
    const client::CGameApp& m_app;
    uint32_t m_box_id { 0 };
    std::array<uint32_t, RESULT_BOX_ROWS> m_picture_ids {};
    std::array<uint32_t, static_cast<size_t>(Part::Count)> m_button_ids {};
};

} // namespace scene
