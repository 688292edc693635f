#pragma once
// CRichTextView: the engine's markup text view. It shows text written in the
// rich-text markup (colours, sizes, faces, bold, italic, underline, links,
// embedded pictures, animations and picture buttons) with line breaks and
// wrapping at any character; it scrolls, trims old lines and, in selectable
// and editable views, has a selection and a caret. Chat panes, notices and
// info boxes are views of this class or derive from it.
//
// Text is a singly linked list of runs (RichTextRun), one per character or
// embedded object, taken from the view's own block pool. Layout measures no
// glyph: a one-byte character is half the font size wide, a two-byte one the
// font size, every character as high as its font size. Appending lays out
// only the new runs, from the stored end position; only size changes and
// deletions lay out everything.
//
// Owner: the object module owns the view. The view owns its runs (its pool),
// its canvases and scroll bars (owned followers), and its link and embedded
// objects, which it destroys by id when their runs go or the view is cleared.
// Thread: UI thread. Text from other threads arrives as posted events
// (VELOTRIX_EVENT_SYSTEM_MESSAGE, RICH_EVENT_APPEND_TEXT) whose payload the
// view frees.
// Hazards: markup mostly comes from other players: every byte is hostile.
// The parser never reads past the text, sizes are capped, over-long face
// names are cut between characters, and a run wider than the text area goes
// alone on its own line, so layout always moves on.

#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "engine/core/BlockPool.h"
#include "engine/core/EngineRect.h"
#include "engine/core/GuiObject.h"
#include "engine/core/ImageRecord.h"
#include "engine/widgets/RichTextElement.h"
#include "engine/widgets/RichTextRun.h"

namespace engine {

class CCanvasObject;
class CGuiScrollBar;
class CRichTextLink;

class CRichTextView : public CGuiObject {
public:
    // View flags.
    static constexpr uint32_t FLAG_SCROLL_BAR = 0x1;
    static constexpr uint32_t FLAG_FOLLOW = 0x2;
    static constexpr uint32_t FLAG_SELECTABLE = 0x4;
    static constexpr uint32_t FLAG_CREATE_HOOK = 0x8;
    static constexpr uint32_t FLAG_BACK_IMAGE = 0x100;
    static constexpr uint32_t FLAG_BACK_COLOUR = 0x200;
    static constexpr uint32_t FLAG_LINKS = 0x400;
    static constexpr uint32_t FLAG_URL_LOAD = 0x800;
    static constexpr uint32_t FLAG_HORIZONTAL = 0x2000;
    static constexpr uint32_t FLAG_EDITABLE = 0x4000;
    static constexpr uint32_t FLAG_GROW = 0x8000;
    static constexpr uint32_t FLAG_PASSWORD = 0x10000;
    static constexpr uint32_t FLAG_REDRAW_NOW = 0x20000;
    static constexpr uint32_t FLAG_HIDE_ON_FOCUS_LOSS = 0x80000;
    static constexpr uint32_t FLAG_CHANGE_NOTIFY = 0x100000;

    static constexpr int32_t DEFAULT_MAX_LINES = 1000;
    static constexpr int32_t DEFAULT_MAX_FONT_SIZE = 1000;
    static constexpr size_t FONT_TABLE_SIZE = 20;
    static constexpr size_t FACE_NAME_BYTES = 32; ///< with the terminating zero
    static constexpr size_t RUNS_PER_BLOCK = 1024;
    static constexpr int32_t FAR_SCROLL = 0xF000000; ///< drawn scroll that never matches

    /// The style the markup writes: font size and face, colour, run style flags.
    struct Style {
        int32_t size { 14 };
        std::array<char, FACE_NAME_BYTES> face {};
        uint32_t colour { 0x010101 };
        uint32_t flags { 0 };
    };

    CRichTextView();
    ~CRichTextView() override;

    // Creation and layout.
    virtual int Create(int32_t width, int32_t height, uint32_t flags, uint32_t owner_value);
    virtual void OnCreateHook() {}
    virtual void CreateScrollBar();
    virtual void RedrawBackground();
    virtual void Layout(int32_t width, int32_t height);
    virtual void UpdateScroll() { NotifyScrollChanged(); }
    virtual void SetMaxLines(int32_t lines);
    /// Resizes the background canvas (pixels and object), then redraws it.
    virtual void ResizeView(int32_t width, int32_t height);
    virtual void SetBackColor(uint32_t colour);
    virtual void SetBackImage(std::string_view name);
    virtual void DrawOnBackground(const ImageRef& image, int32_t x, int32_t y, int32_t width, int32_t height);

    // Markup (RichTextMarkup.cpp).
    virtual int ApplyStyleTag(std::string_view tag);
    virtual int ApplyObjectTag(std::string_view tag);
    virtual int RegisterFont(std::string_view face);
    [[nodiscard]] virtual int32_t GetLayoutWidth() const { return m_layout_width; }
    [[nodiscard]] virtual int32_t GetLayoutHeight() const { return m_layout_height; }
    [[nodiscard]] virtual double GetTextDepth() const;
    [[nodiscard]] virtual int32_t GetRunCount() const { return m_run_count; }
    /// Appends the text of a system payload (MakeSystemPayload) and frees it.
    virtual void AppendPostedText(uintptr_t payload);
    virtual void AppendMarkup(std::string_view text);
    virtual void AppendObject(CEngineObject* object);
    virtual void ParseMarkup(std::string_view text);
    virtual void AutoScroll();
    virtual void NotifyScrollChanged();

    // Runs.
    virtual void DeleteBackward();
    virtual void DeleteForward();
    virtual void DeleteRunAt(int32_t index);
    virtual void DeleteRuns(RichTextRun* first, RichTextRun* end);
    virtual void DeleteRun(RichTextRun* run) { if (run != nullptr) DeleteRuns(run, run->next); }
    virtual void RemoveObject(uint32_t object_id, bool destroy);
    virtual void HideRunAt(int32_t index);
    virtual void ShowRunAt(int32_t index);
    virtual void ShowAllRuns();
    virtual void DeleteObjectRun(RichTextRun* run);
    virtual void Clear();
    virtual void UpdateScrollBar();
    virtual void OpenUrl(std::string_view url);
    virtual void ScrollLineUp();
    virtual void ScrollLineDown();
    virtual int OnUrlLoad(std::string_view, std::string_view, int32_t, const std::string*) { return 0; }
    virtual void OnPointHook(int32_t, int32_t) {}

    // Input (RichTextInput.cpp).
    virtual void OnMouseMove(int32_t x, int32_t y);
    virtual void OnDrag(int32_t x, int32_t y);
    virtual void OnMouseDown(int32_t x, int32_t y);
    virtual void OnMouseUp(int32_t x, int32_t y);
    virtual void OnKeyDown(uint32_t key, uint32_t key_data);
    virtual void OnDoubleClick(int32_t x, int32_t y);
    virtual void OnFocusLost();
    virtual void CreateCaret();
    /// Puts the caret before run (null: after the last run) and shows it.
    virtual void PlaceCaret(RichTextRun* run);
    virtual void HideCaret();
    virtual void ShowHandCursor();
    virtual void RestoreCursor();
    virtual void ApplyScroll(bool reuse);
    /// Screen (view-relative) point to text coordinates.
    virtual void PointToText(int32_t x, int32_t y, int32_t& text_x, int32_t& text_y) const;
    virtual void TrimLines();
    struct EndPoint {
        int32_t x;
        int32_t y;
    };
    virtual EndPoint LayoutLine(int32_t x, int32_t y, RichTextRun* first, int32_t count);

    int OnEvent(const EngineEvent& event) override;
    void MoveTo(double x, double y) override;
    void MoveBy(double dx, double dy) override;
    void ScaleSizeBy(double fx, double fy) override;
    void SetDraggable(bool draggable) override;

    // Non-virtual operations.
    void SetTextColor(uint32_t colour)
    {
        m_base.colour = colour;
        SetCaretColor(colour);
    }
    void SetFontSize(int32_t size);
    void SetLineSpacing(double spacing) { m_line_spacing = spacing; }
    void SetLineSpacingPixels(int32_t pixels);
    void SetCharSpacing(int32_t spacing) { m_char_spacing = spacing; }
    void SetMaxFontSize(int32_t size) { m_max_font_size = size; }
    void SetPadding(int32_t x, int32_t y);
    void EnableLinks(bool on);
    void EnableUrlLoad(bool on);
    void ScrollToTop();
    void ScrollToEnd();
    void ScrollTo(int32_t position);
    [[nodiscard]] CCanvasObject* GetCanvas() const;
    [[nodiscard]] CCanvasObject* GetBackCanvas() const;
    [[nodiscard]] uint32_t GetViewFlags() const { return m_flags; }
    /// The first visible run whose bottom is below y; null when none is.
    [[nodiscard]] RichTextRun* RunAtY(int32_t y) const;
    /// The first visible run whose box (with its advance and line box) holds the point.
    [[nodiscard]] RichTextRun* RunAtPoint(int32_t x, int32_t y) const;
    /// The caret run for a point: the run whose left half holds it, the run
    /// after one whose right half holds it, or a line break right of the line.
    [[nodiscard]] RichTextRun* RunAtOrAfter(int32_t x, int32_t y) const;
    /// As RunAtOrAfter without the line-break rule; stops at the next line.
    [[nodiscard]] RichTextRun* RunAtOrBefore(int32_t x, int32_t y) const;
    [[nodiscard]] RichTextRun* LineEndRun(RichTextRun* run) const;
    [[nodiscard]] RichTextRun* GetInsertionPoint() const { return m_insert; }

    // Selection, caret and clipboard (RichTextInput.cpp).
    void SelectRange(RichTextRun* first, RichTextRun* end);
    void ClearSelection();
    void RefreshSelection();
    void SelectAll();
    void SelectWordAt(int32_t x, int32_t y);
    [[nodiscard]] std::string SelectedText() const;
    void CopySelection();
    void PasteClipboard();
    void OpenUrlTextAt(RichTextRun* run);
    void MoveCaretLeft();
    void MoveCaretRight();
    void MoveCaretUp();
    void MoveCaretDown();
    void SetCaretColor(uint32_t colour);
    [[nodiscard]] bool IsCaretShown() const;
    [[nodiscard]] RichTextRun* GetSelectionFirst() const { return m_select_first; }
    [[nodiscard]] RichTextRun* GetSelectionEnd() const { return m_select_end; }
    [[nodiscard]] RichTextRun* FirstRun() const { return m_first; }
    [[nodiscard]] RichTextRun* LastRun() const { return m_last; }
    void RegisterLinkRun(RichTextRun* run, uint32_t link_id) { m_links[run] = link_id; }
    /// The link object behind a link-text run (the nearest link start at or before it).
    [[nodiscard]] CRichTextLink* LinkOfRun(const RichTextRun* run) const;
    /// One character run from the start of text in the current style, added to
    /// the batch; answers the bytes used (a lead byte at the end is dropped: 1).
    int AddCharRun(std::string_view text);
    /// A run for an engine object (not yet appended); null when the pool is out.
    RichTextRun* MakeObjectRun(CEngineObject* object);
    void AppendRun(RichTextRun* run);
    void EndLine();

    // State for tests and derived views.
    [[nodiscard]] int32_t GetLineCount() const { return m_line_count; }
    [[nodiscard]] int32_t GetTopOrigin() const { return m_top_origin; }
    [[nodiscard]] int32_t GetScrollY() const { return m_scroll_y; }
    [[nodiscard]] int32_t GetScrollX() const { return m_scroll_x; }
    [[nodiscard]] int32_t GetContentHeight() const { return m_content_height; }
    [[nodiscard]] int32_t GetContentWidth() const { return m_content_width; }
    [[nodiscard]] const Style& GetStyle() const { return m_style; }
    [[nodiscard]] const Style& GetBaseStyle() const { return m_base; }
    [[nodiscard]] size_t GetFontCount() const { return m_font_count; }
    [[nodiscard]] const char* GetFontEntry(size_t index) const;
    [[nodiscard]] const std::map<const RichTextRun*, uint32_t>& GetLinkMap() const { return m_links; }
    [[nodiscard]] const CBlockPool& GetRunPool() const { return m_pool; }
    [[nodiscard]] bool IsRedrawPending() const { return m_redraw_pending; }
    [[nodiscard]] CGuiScrollBar* GetVerticalBar() const { return m_vbar_shown ? FindBar(m_vbar) : nullptr; }
    /// The text a run contributes to copied text.
    [[nodiscard]] std::string CopyTextOf(const RichTextRun& run) const;

protected:
    [[nodiscard]] static uint16_t ClampSide(double side);
    /// Puts an object (or the visual that carries its looks) at depth z.
    static void SetDepth(CEngineObject& object, double z) { object.MoveZBy(z - object.GetZ()); }
    void ResetBatch();
    /// How many runs come before wanted (all of them for null).
    [[nodiscard]] int32_t IndexOfRun(const RichTextRun* wanted) const;
    /// The run at a 0-based index, or null.
    [[nodiscard]] RichTextRun* RunAt(int32_t index) const;
    /// wanted when it is one of this view's runs, else null.
    [[nodiscard]] RichTextRun* FindRun(const RichTextRun* wanted) const;
    [[nodiscard]] RichTextRun* RunBefore(const RichTextRun* run) const;
    /// Whether a comes before b in the list (null b: the end).
    [[nodiscard]] bool IsBefore(const RichTextRun* a, const RichTextRun* b) const;
    [[nodiscard]] int32_t LineGap(const RichTextRun& run) const;
    [[nodiscard]] bool InLineBox(const RichTextRun& run, int32_t y) const;
    [[nodiscard]] int32_t LineHeightAt(int32_t y) const;
    void OpenClickTarget(uint32_t clicked_id);
    void MakeSelectable();
    [[nodiscard]] CCanvasObject* SelectionCanvas() const;
    [[nodiscard]] CCanvasObject* CaretCanvas() const;
    bool DeleteSelection();
    void DrawRun(RichTextRun& run, bool reuse);
    bool CopyFromCache(const RichTextRun& run);
    void DestroyScrollBars();
    [[nodiscard]] CGuiScrollBar* FindBar(uint32_t id) const;
    /// Shows or hides a bar and lays the text area out again when that changed.
    void ShowBar(uint32_t id, bool& shown, bool show);
    /// Places shown scroll bars and narrows the text area by them.
    void PlaceScrollBars(int32_t& width, int32_t& height);
    /// A fresh run from the pool (zeroed); null when the pool has no room.
    RichTextRun* NewRun();
    void FreeRun(RichTextRun* run);
    /// Lays every run out again from the top origin (after deletions and splices).
    void RelayoutAll();
    /// Content height from the last run and the top origin.
    void MeasureContent();
    [[nodiscard]] int32_t LineAdvance(int32_t y, int32_t height) const;
    /// Places the runs of the open line from its first run up to last.
    void PlaceOpenLine(RichTextRun* last, int32_t line_top, int32_t line_height);
    /// Adds a link's shown text as runs; links enabled makes the link object.
    void AddLink(std::string_view url, std::string_view text, std::string_view hover);
    [[nodiscard]] int32_t ClampSize(int64_t size) const;
    [[nodiscard]] const char* FaceEntryFor(const std::array<char, FACE_NAME_BYTES>& face);
    [[nodiscard]] EngineRect GetTextArea() const;
    void UpdateClipRects();
    void ApplyFlags(uint32_t flags);
    void DestroyOwned(uint32_t id);
    void ReleasePlacedObjects();
    /// The vertical position limits of scrolling.
    [[nodiscard]] int32_t MaxScrollY() const;

    Style m_style;          ///< current style of the parser
    Style m_base;           ///< the view's base style (SetFontSize, SetTextColor)
    Style m_saved;          ///< restored by "<>" and at the end of each text
    uint32_t m_flags { 0x202 };
    uint32_t m_owner_value { 0 };
    int32_t m_max_lines { DEFAULT_MAX_LINES };
    int32_t m_line_count { 0 };
    int32_t m_run_count { 0 };
    uint64_t m_trimmed_runs { 0 }; ///< runs trimmed from the top so far
    int32_t m_max_font_size { DEFAULT_MAX_FONT_SIZE };
    double m_line_spacing { 0.2 };
    int32_t m_char_spacing { 0 };
    std::map<const RichTextRun*, uint32_t> m_links;

    // Line batch of the parser.
    RichTextRun* m_batch_first { nullptr };
    RichTextRun* m_batch_last { nullptr };
    int32_t m_batch_count { 0 };

    int32_t m_view_width { 0 };
    int32_t m_view_height { 0 };
    int32_t m_given_width { 0 };  ///< the size Layout was given (the text area and its bars)
    int32_t m_given_height { 0 };
    int32_t m_layout_width { 0 };
    int32_t m_layout_height { 0 };
    int32_t m_padding_x { 0 };
    int32_t m_padding_y { 0 };
    bool m_redraw_pending { false };
    CBlockPool m_pool { sizeof(RichTextRun), RUNS_PER_BLOCK };

    int32_t m_top_origin { 0 };
    int32_t m_scroll_x { 0 };
    int32_t m_scroll_y { 0 };
    int32_t m_drawn_scroll { FAR_SCROLL };
    int32_t m_content_height { 0 };
    int32_t m_content_width { 0 };
    std::vector<uint32_t> m_cache; ///< layout width x layout height pixels
    int32_t m_end_x { 0 };
    int32_t m_end_y { 0 };
    int32_t m_carried_height { 0 };
    RichTextRun* m_line_first { nullptr }; ///< first run of the open (unfinished) line
    int32_t m_line_start_x { 0 };
    bool m_line_carried { false };         ///< the open line came from an earlier layout
    int32_t m_damaged_top { FAR_SCROLL };  ///< runs from here down moved since the last redraw

    RichTextRun* m_first { nullptr };
    RichTextRun* m_last { nullptr };
    RichTextRun* m_insert { nullptr };
    RichTextRun* m_select_first { nullptr };
    RichTextRun* m_select_end { nullptr };
    int32_t m_extent_x { 0 };
    int32_t m_extent_y { 0 };
    uint32_t m_hovered_link { 0 };
    int32_t m_select_start_x { 0 }, m_select_start_y { 0 }, m_select_end_x { 0 }, m_select_end_y { 0 };
    bool m_dragging { false };
    uint32_t m_caret_colour { 0x010101 };

    std::array<std::array<char, FACE_NAME_BYTES>, FONT_TABLE_SIZE> m_fonts {};
    size_t m_font_count { 0 };
    std::string m_back_image;

    uint32_t m_back_canvas { 0 };
    uint32_t m_text_canvas { 0 };
    uint32_t m_select_canvas { 0 };
    uint32_t m_caret_canvas { 0 };
    uint32_t m_vbar { 0 };
    uint32_t m_hbar { 0 };
    bool m_vbar_shown { false };
    bool m_hbar_shown { false };
    std::vector<uint32_t> m_placed; ///< objects placed by the last redraw
};

/// Text that is not ours (a player's name or line, a server's text, typed
/// bytes) as markup that shows it as it is: '#', '<', '>' and '/' become
/// "##", "#<", "#>" and "#/", control bytes (line breaks too) are dropped, so
/// it stays on its line, two-byte characters stay whole and a lead byte with
/// nothing after it is dropped. The one escaping step for chat markup (a
/// canvas draws such text with CCanvasObject::DrawPlainText).
[[nodiscard]] std::string EscapeMarkup(std::string_view text);

/// A link to `url` that shows `text` ("<url_text=URL,TEXT>"). A tag's values
/// have no escapes, so when either holds what means something inside a tag
/// ('<', '>', ',', ';', '=', '#', a control byte, the word "notify") or the
/// tag would be too long to be read as one, no link is made: the text is
/// shown as it is (EscapeMarkup).
[[nodiscard]] std::string MarkupLink(std::string_view url, std::string_view text);

} // namespace engine
