// The studio: one window showing a picture through one effect of the module, the
// effect's page beside it, rendered again in the background at every change of the
// record. Two objects per effect: the one the page and the preset choice edit, and the
// one the background render uses, which receives each new record.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "host/cli/module_host.h"
#include "host/studio/frame_supply.h"
#include "host/studio/page_host.h"
#include "host/studio/render_worker.h"
#include "host/studio/studio_layout.h"
#include "host/studio/studio_options.h"
#include "platform/ui/wingdi.h"

namespace brushwerk::studio {

constexpr UINT WM_STUDIO_RENDERED = WM_USER + 0x51;

class Studio {
public:
    Studio(const StudioOptions& options, std::ostream& out);
    ~Studio();
    Studio(const Studio&) = delete;
    Studio& operator=(const Studio&) = delete;

    // Runs the window until it is closed; returns the exit status.
    int Run();

private:
    static LRESULT Procedure(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT Handle(UINT msg, WPARAM wParam, LPARAM lParam);
    bool HandleKey(UINT virtualKey, char character);
    bool TypesText(HWND hwnd) const;
    void Click(POINT p);
    void Drag(POINT p);

    // Actions (keys, clicks).
    void ChooseEffect(int index);
    void ChoosePreset(int index);
    void ReportPageControls();
    void ToggleBefore();
    void StartDropper();
    void FinishDropper(POINT clientPoint);
    void ToggleKeyframe();
    void MoveKeyframe(int step);
    void ChooseFrame(int frame);
    void Save();
    void Status(const std::string& text);

    // The record of the edited object against what was last rendered; renders again on a change.
    void CheckRecord();
    void RequestRender();
    void TakeResult();
    std::shared_ptr<common::EffectSession> MakeSession(ComPtr<IUnknown>* object);
    std::shared_ptr<common::EffectSession> MakeRenderSession();

    // Painting (studio_paint.cpp).
    void Paint(HDC dc);
    void PaintLists(HDC dc);
    void PaintRecord(HDC dc);
    void PaintSliders(HDC dc);
    void PaintButtons(HDC dc);
    void PaintText(HDC dc);
    void RebuildPreview();
    void Invalidate();

    const StudioOptions m_options;
    std::ostream& m_out;
    cli::ModuleHost m_host;
    FrameSupply m_supply;
    unsigned m_processors;
    StudioLayout m_layout;
    HWND m_window = nullptr;
    HFONT m_font = nullptr;
    HFONT m_bold = nullptr;
    HBITMAP m_preview = nullptr;
    void* m_previewBits = nullptr;
    PageHost m_page;

    int m_effect = 0;
    std::vector<std::string> m_presetNames;
    int m_preset = -1;  // the preset last chosen, until the record moves away from it
    ComPtr<IUnknown> m_editObject;
    std::shared_ptr<common::EffectSession> m_edit;
    std::shared_ptr<common::EffectSession> m_render;
    common::RecordBytes m_record;
    std::optional<common::RecordBytes> m_secondKey;
    int m_keyStep = 0;
    int m_frame = 0;
    std::shared_ptr<const cli::Image> m_input;

    std::unique_ptr<RenderWorker> m_worker;
    uint64_t m_lastRequest = 0;
    std::optional<RenderResult> m_shown;
    bool m_before = false;
    bool m_dropper = false;
    bool m_beforeUntilPicked = false;
    int m_dragging = 0;  // 1: frame slider, 2: keyframe slider
    size_t m_colourTarget = 0;  // which colour field the studio's eyedropper sets
    std::string m_status;
    std::string m_command;
};

}  // namespace brushwerk::studio
