#include "game/scene/QrCodePanel.h"

#include <qrencode.h>

#include <cstring>
#include <memory>

#include "client/CGameApp.h"
#include "engine/core/EngineEntity.h"
#include "engine/core/ImageObject.h"
#include "engine/core/ModuleServices.h"
#include "game/scene/SceneBody.h"
#include "game/scene/SceneWidgets.h"
#include "platform/ByteOrder.h"
#include "platform/ByteWriter.h"

namespace scene {
namespace {

constexpr int32_t QR_MAX_WIDTH = 177;  // version 40
constexpr uint32_t BMP_INFO_HEADER_BYTES = 40;
constexpr uint16_t BMP_BITS_PER_PIXEL = 24;
constexpr uint8_t WHITE = 0xFF;

struct QrCodeFree {
    void operator()(QRcode* code) const { QRcode_free(code); }
};

} // namespace

std::vector<uint8_t> WriteQrBitmap(int32_t width, std::span<const uint8_t> modules)
{
    if (width < 1 || width > QR_MAX_WIDTH || modules.size() < size_t(width) * size_t(width))
        return {};
    const int32_t side = QR_MODULE_PIXELS * width;
    const size_t row_bytes = size_t(side) * 3;  // 24 x width: a multiple of 4, no padding
    const size_t pixel_bytes = row_bytes * size_t(side);
    std::vector<uint8_t> file(QR_BITMAP_HEADER_BYTES + pixel_bytes);
    platform::CByteWriter out(file);
    out.WriteU8('B');
    out.WriteU8('M');
    out.WriteU32(uint32_t(file.size()));
    out.WriteU32(0);
    out.WriteU32(uint32_t(QR_BITMAP_HEADER_BYTES));
    out.WriteU32(BMP_INFO_HEADER_BYTES);
    out.WriteI32(side);
    out.WriteI32(-side);  // rows stored top down
    out.WriteU16(1);
    out.WriteU16(BMP_BITS_PER_PIXEL);
    for (int i = 0; i < 6; ++i)  // compression, image size, resolutions, colours
        out.WriteU32(0);

    uint8_t* pixels = file.data() + QR_BITMAP_HEADER_BYTES;
    std::memset(pixels, WHITE, pixel_bytes);
    for (int32_t my = 0; my < width; ++my) {
        for (int32_t mx = 0; mx < width; ++mx) {
            if ((modules[size_t(my) * size_t(width) + size_t(mx)] & 1) == 0)
                continue;
            for (int32_t py = 0; py < QR_MODULE_PIXELS; ++py) {
                uint8_t* row = pixels + size_t(my * QR_MODULE_PIXELS + py) * row_bytes;
                std::memset(row + size_t(mx) * QR_MODULE_PIXELS * 3, 0, size_t(QR_MODULE_PIXELS) * 3);
            }
        }
    }
    return file;
}

std::vector<uint8_t> MakeQrBitmap(std::string_view text)
{
    // The encoder reads a 0-terminated string: a text with a 0 inside ends there.
    const std::string terminated(text);
    std::unique_ptr<QRcode, QrCodeFree> code(
        QRcode_encodeString(terminated.c_str(), 0, QR_ECLEVEL_L, QR_MODE_8, 1));
    if (!code || code->data == nullptr)
        return {};
    return WriteQrBitmap(code->width, { code->data, size_t(code->width) * size_t(code->width) });
}

std::string QrNoticeText(std::span<const uint8_t> record)
{
    if (record.size() <= QR_NOTICE_TEXT_AT || int32_t(platform::LoadU32LE(record.data())) <= 0)
        return {};
    const auto text = record.subspan(QR_NOTICE_TEXT_AT);
    const void* end = std::memchr(text.data(), 0, text.size());
    const size_t length = end != nullptr ? size_t(static_cast<const uint8_t*>(end) - text.data()) : text.size();
    return std::string(reinterpret_cast<const char*>(text.data()), length);
}

engine::CEngineObject* CQrCodePanel::Find(uint32_t id) const
{
    return id != 0 ? m_creator.FindObject(id) : nullptr;
}

engine::CEngineObject* CQrCodePanel::GetPanel() const
{
    return Find(m_panel_id);
}

engine::CImageObject* CQrCodePanel::GetCodeImage() const
{
    return dynamic_cast<engine::CImageObject*>(Find(m_image_id));
}

bool CQrCodePanel::IsShown() const
{
    const engine::CEngineObject* panel = GetPanel();
    return panel != nullptr && panel->IsActive();
}

engine::CEngineObject* CQrCodePanel::CreatePanel()
{
    engine::ImageRef image;
    m_creator.GetImage(image, QR_PANEL_IMAGE, 0);
    engine::CImageObject* panel = m_creator.NewImageObject(image);
    if (panel == nullptr)
        return nullptr;
    m_panel_id = panel->GetId();
    panel->RaiseToTopLayer();
    panel->SetZ(QR_PANEL_DEPTH);
    panel->Activate();
    return panel;
}

void CQrCodePanel::AttachButtons(engine::CEngineObject* qr_button, engine::CEngineObject* close_button,
                                 engine::CEngineObject* site_button)
{
    m_qr_button_id = qr_button != nullptr ? qr_button->GetId() : 0;
    detail::SetActive(qr_button, true);
    engine::CEngineObject* panel = GetPanel();
    if (panel == nullptr)
        return;
    const auto attach = [&](engine::CEngineObject* button, double dx, double dy) {
        if (button == nullptr)
            return;
        button->RaiseToTopLayer();
        AttachPart(*panel, *button, panel->GetX() + dx, panel->GetY() + dy, QR_PART_DEPTH - panel->GetZ());
    };
    attach(close_button, QR_CLOSE_DX, QR_CLOSE_DY);
    attach(site_button, QR_SITE_DX, QR_SITE_DY);
    detail::SetActive(panel, false);
}

void CQrCodePanel::Place(int32_t view_height, bool maximised)
{
    engine::CEngineObject* panel = GetPanel();
    engine::CEngineObject* button = Find(m_qr_button_id);
    if (panel == nullptr)
        return;
    if (maximised) {
        panel->MoveTo(QR_MAXIMISED_X, view_height - QR_MAXIMISED_ABOVE_BOTTOM);
        detail::SetActive(button, true);
    } else {
        panel->MoveTo(QR_WINDOW_X, view_height - QR_WINDOW_ABOVE_BOTTOM);
        if (panel->IsActive())
            detail::SetActive(button, false);
    }
}

void CQrCodePanel::OnQrButton(bool hide_button)
{
    engine::CEngineObject* panel = GetPanel();
    if (panel == nullptr)
        return;
    if (panel->IsActive()) {
        Close();
        return;
    }
    detail::SetActive(panel, true);
    if (hide_button)
        detail::SetActive(Find(m_qr_button_id), false);
}

void CQrCodePanel::Close()
{
    detail::SetActive(GetPanel(), false);
    detail::SetActive(Find(m_qr_button_id), true);
}

void CQrCodePanel::OpenMobileSite(client::CGameApp& app)
{
    if (app.IsStandAlone())
        app.OpenURL(QR_MOBILE_SITE_URL, false);
    else
        (void)app.AskHallOpenURL(QR_MOBILE_SITE_URL, 1);
}

void CQrCodePanel::OnSceneNotice(std::span<const uint8_t> record)
{
    const std::string text = QrNoticeText(record);
    if (!text.empty())
        (void)ShowQRCodePanel(text);
}

bool CQrCodePanel::ShowQRCodePanel(std::string_view text)
{
    engine::CEngineObject* panel = GetPanel();
    engine::IResourceModule* resources = m_creator.GetResourceModule();
    if (panel == nullptr || resources == nullptr)
        return false;
    std::vector<uint8_t> bitmap = MakeQrBitmap(text);
    if (bitmap.empty())
        return false;
    // Replacing the resource drops the paint module's decode of the old
    // bytes, so the name below decodes the new code.
    (void)resources->AddResource(QR_IMAGE_RESOURCE, std::move(bitmap));
    engine::ImageRef image;
    m_creator.GetImage(image, QR_IMAGE_NAME, 0);
    engine::CImageObject* code = GetCodeImage();
    if (code == nullptr) {
        code = m_creator.NewImageObject(image);
        if (code == nullptr)
            return false;
        m_image_id = code->GetId();
        code->RaiseToTopLayer();
        AttachPart(*panel, *code, panel->GetX(), panel->GetY() + QR_CODE_DY, QR_PART_DEPTH - panel->GetZ());
        // A code that comes while the panel is closed shows with the panel.
        detail::SetActive(code, panel->IsActive());
    } else {
        code->SetImage(image, engine::CImageObject::FitSize::No);
        code->MoveTo(panel->GetX(), panel->GetY() + QR_CODE_DY);
    }
    code->SetSize(QR_IMAGE_SIZE, QR_IMAGE_SIZE);
    code->Invalidate();
    return true;
}

} // namespace scene
