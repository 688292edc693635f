#pragma once
// The QR-code panel of the table: a skin panel that shows a QR code of a
// text the server sends in a scene notice, with a close button and a button
// that opens the mobile site. The text is encoded with libqrencode into a
// 24-bit BMP image held in memory, registered with the resource module as
// "QRCode_Image.bmp" and shown by its name "QRCode_Image".
//
// Owner: the scene holds one CQrCodePanel beside it; the panel keeps only
// object ids and looks its objects up through the scene (the creator), so a
// part destroyed with the scene is never touched through a stale pointer.
// The objects themselves belong to the object module. Thread: UI thread,
// inside the engine tick or under the tick lock.
// Hazards: the notice record and its text are untrusted; the text is read
// only within the record and a text the encoder refuses (too long for any
// symbol) leaves the panel as it was.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace client {
class CGameApp;
}

namespace engine {
class CEngineEntity;
class CEngineObject;
class CImageObject;
} // namespace engine

namespace scene {

inline constexpr uint32_t GAMEMSG_BTN_QR_CODE = 80000162;
inline constexpr uint32_t GAMEMSG_QR_CLOSE = 80000163;
inline constexpr uint32_t GAMEMSG_QR_OPEN_SITE = 80000164;

inline constexpr const char* QR_PANEL_IMAGE = "手机二维码_背景";
inline constexpr const char* QR_BUTTON_IMAGE = "手机二维码_按钮";
inline constexpr const char* QR_CLOSE_IMAGE = "手机二维码_关闭";
inline constexpr const char* QR_OPEN_SITE_IMAGE = "手机二维码_前去官网";
/// The resource the code is registered as, and the image name it is shown by.
inline constexpr const char* QR_IMAGE_RESOURCE = "QRCode_Image.bmp";
inline constexpr const char* QR_IMAGE_NAME = "QRCode_Image";
/// The mobile web page the open-site button leads to.
inline constexpr const char* QR_MOBILE_SITE_URL = "http://m.pldk.net/";

inline constexpr double QR_PANEL_DEPTH = 52001;
inline constexpr double QR_PART_DEPTH = 52002;
inline constexpr int32_t QR_MODULE_PIXELS = 8;
inline constexpr size_t QR_BITMAP_HEADER_BYTES = 54;
inline constexpr double QR_IMAGE_SIZE = 120;
/// Where the code and the panel's buttons stand, from the panel's centre.
inline constexpr int32_t QR_CODE_DY = -45;
inline constexpr int32_t QR_CLOSE_DX = 74;
inline constexpr int32_t QR_CLOSE_DY = -118;
inline constexpr int32_t QR_SITE_DX = 98;
inline constexpr int32_t QR_SITE_DY = 44;
/// The panel's centre on a maximised frame and on a window.
inline constexpr int32_t QR_MAXIMISED_X = 195;
inline constexpr int32_t QR_MAXIMISED_ABOVE_BOTTOM = 140;
inline constexpr int32_t QR_WINDOW_X = 100;
inline constexpr int32_t QR_WINDOW_ABOVE_BOTTOM = 110;
/// Where the notice's text starts in the notice record.
inline constexpr size_t QR_NOTICE_TEXT_AT = 32;

/// The 24-bit BMP file (rows top down) of a square symbol of width modules
/// given row by row from the top left; a module whose bit 0 is set is an
/// 8 x 8 black block, any other a white one. Empty when width is not 1 to
/// 177 or modules holds fewer than width x width bytes.
[[nodiscard]] std::vector<uint8_t> WriteQrBitmap(int32_t width, std::span<const uint8_t> modules);

/// Encodes text as a QR symbol (the smallest version that holds it, error
/// correction L, 8-bit mode, case-sensitive) and writes its bitmap. Empty
/// when the encoder gives no symbol (an empty text, or one too long).
[[nodiscard]] std::vector<uint8_t> MakeQrBitmap(std::string_view text);

/// The text of a scene notice record: the bytes at QR_NOTICE_TEXT_AT up to
/// the first 0 or the record's end. Empty unless the record's first word
/// (little-endian) is above 0.
[[nodiscard]] std::string QrNoticeText(std::span<const uint8_t> record);

class CQrCodePanel {
public:
    /// creator: the scene that registers the panel's objects.
    explicit CQrCodePanel(engine::CEngineEntity& creator) : m_creator(creator) {}
    CQrCodePanel(const CQrCodePanel&) = delete;
    CQrCodePanel& operator=(const CQrCodePanel&) = delete;

    /// The panel: an image object of QR_PANEL_IMAGE on the top layer at
    /// QR_PANEL_DEPTH, shown. Null without an object module.
    engine::CEngineObject* CreatePanel();
    /// Takes the scene's three QR buttons (any may be null): the QR-code
    /// button is shown; the close button goes to (panel x + 74, panel y - 118)
    /// and the open-site button to (panel x + 98, panel y + 44), both on the
    /// top layer at QR_PART_DEPTH following the panel; then the panel is
    /// hidden and redrawn.
    void AttachButtons(engine::CEngineObject* qr_button, engine::CEngineObject* close_button,
                       engine::CEngineObject* site_button);
    /// Places the panel for a view of height view_height: with the window
    /// maximised at (195, h - 140) with the QR-code button shown, otherwise
    /// at (100, h - 110) with the button hidden while the panel shows.
    void Place(int32_t view_height, bool maximised);

    /// The QR-code button: hides a shown panel (the button shows again);
    /// shows a hidden one, hiding the button when hide_button is set (a
    /// frame that is not maximised).
    void OnQrButton(bool hide_button);
    /// The close button: the panel hides and the QR-code button shows.
    void Close();
    /// The open-site button: the mobile site, opened directly when the
    /// application runs stand-alone and through the hall otherwise.
    static void OpenMobileSite(client::CGameApp& app);

    /// A scene notice: shows its text's code when the record asks for one.
    void OnSceneNotice(std::span<const uint8_t> record);
    /// Encodes text, registers the bitmap as QR_IMAGE_RESOURCE and shows it
    /// on the panel at (panel x, panel y - 45), 120 x 120, on the top layer
    /// at QR_PART_DEPTH. A second code replaces the first in the same image
    /// object (the decode of the old bytes is dropped with them). False when
    /// nothing changed (no symbol, no panel, no resource module).
    bool ShowQRCodePanel(std::string_view text);

    [[nodiscard]] engine::CEngineObject* GetPanel() const;
    [[nodiscard]] engine::CImageObject* GetCodeImage() const;
    [[nodiscard]] bool IsShown() const;

private:
    [[nodiscard]] engine::CEngineObject* Find(uint32_t id) const;

    engine::CEngineEntity& m_creator;
    uint32_t m_panel_id { 0 };
    uint32_t m_image_id { 0 };
    uint32_t m_qr_button_id { 0 };
};

} // namespace scene
