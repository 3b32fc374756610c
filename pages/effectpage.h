// The page frame every effect's property page is made of. One template, parameterised by
// the effect's descriptor and record: the descriptor's fields say which knob (and edit
// box) or which swatch (and eyedropper) edits which part of the record, so a page file
// only names its effect.
//
// The page keeps its own copy of the record (m_editProps), edits it through its controls
// and sends the whole record to the effect at every finished change. Changes made
// elsewhere (presets, loading) arrive as WM_COMMAND 32512, posted by the effect, and
// refresh the controls without sending anything back.
#pragma once

#include <array>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "controls/bit_button.h"
#include "controls/color_button.h"
#include "controls/dropper.h"
#include "controls/knob.h"
#include "controls/skin.h"
#include "controls/title.h"
#include "framework/dropper.h"
#include "platform/com/kit/module.h"
#include "platform/ui/property_page.h"
#include "resources/stringtable.h"
#include "sdk/effect_descriptor.h"
#include "sdk/plugininterfaces.h"

// What every page shares: its fixed items, the skin bitmaps they draw, and the command
// with which the effect asks an open page to read the record again.
namespace page {
constexpr int kTitleItem = 203, kHelpItem = 207, kInfoItem = 223;
constexpr int kKnobStrip = 201, kKnobFrames = 45, kHelpBitmap = 206, kInfoBitmap = 207, kDropperBitmap = 231,
              kSwatchBitmap = 236;
constexpr UINT kRefreshCommand = 32512;

// The indices of the descriptor's fields of one kind, in record order.
template <const EffectDescriptor& D, FieldKind Kind>
consteval auto FieldsOfKind() {
    constexpr size_t count = [] {
        size_t n = 0;
        for (const RecordFieldDescriptor& f : D.fields) n += f.kind == Kind;
        return n;
    }();
    std::array<size_t, count> indices{};
    for (size_t i = 0, n = 0; i < D.fields.size(); ++i)
        if (D.fields[i].kind == Kind) indices[n++] = i;
    return indices;
}

// Text a person typed into a knob's edit box as a record value (percent / 100); false
// when it does not begin with a finite number.
bool ParsePercent(const char* text, float* value);
void FormatPercent(float value, char* text, size_t capacity);
}  // namespace page

template <const EffectDescriptor& D, class Record>
class CEffectPage : public CPropertyPageImpl, public IVectorUpdate, public IColorUpdate {
public:
    static REFIID PrimaryInterfaceId() { return IID_IPropertyPage; }
    HRESULT InternalQueryInterface(REFIID iid, void** object) {
        if (iid != IID_IPropertyPage) return E_NOINTERFACE;
        *object = static_cast<IPropertyPage*>(this);
        return S_OK;
    }

    // The first object must be this page's effect: the exchange interface has one
    // identifier for every record, so an effect of another class would read and write a
    // record of another size. Anything else is refused with E_NOINTERFACE, the objects
    // kept as they were. An open page moves its notifications to the new effect.
    HRESULT SetObjects(ULONG count, IUnknown** objects) override {
        if (count && objects && objects[0] && !IsPageEffect(objects[0])) return E_NOINTERFACE;
        if (m_hWnd) RegisterForNotifications(nullptr, 0);
        const HRESULT hr = CPropertyPageImpl::SetObjects(count, objects);
        if (m_hWnd) {
            RegisterForNotifications(m_hWnd, page::kRefreshCommand);
            Refresh();
        }
        return hr;
    }

    // Sends the whole record to the effect.
    HRESULT Apply() override {
        auto exchange = Exchange();
        if (!exchange) return E_UNEXPECTED;
        const HRESULT hr = exchange->SetProps(&m_editProps);
        SetDirty(FALSE);
        return SUCCEEDED(hr) ? S_OK : hr;
    }

    HRESULT Help(const wchar_t*) override {
        if (g_pSkin) g_pSkin->ShowHelp(m_hWnd, int(D.helpContext));
        return S_OK;
    }

    // ---- the controls' reports -------------------------------------------------------------

    void OnValueChanged(CKnob* knob, bool final) override {
        const RecordFieldDescriptor& field = D.fields[kKnobFields[size_t(knob - m_knobs.data())]];
        SetNumber(field, knob->GetValue());
        ShowNumber(field);
        if (final) Apply();
    }

    void OnColorChosen(CColorButton* swatch, bool final) override {
        SetColour(D.fields[kColourFields[size_t(swatch - m_swatches.data())]], swatch->GetColor());
        if (final) Apply();
    }

    // The swatch shows the picked pixel, not the last preview mean: it shows what the
    // record holds.
    void OnColorPicked(CDropper* dropper, bool final) override {
        const size_t i = size_t(dropper - m_droppers.data());
        SetColour(D.fields[kColourFields[i]], dropper->GetColor());
        m_swatches[i].SetColor(dropper->GetColor());
        if (final) Apply();
    }

    // The effects pass their input through while a dropper samples; the flipped flag makes
    // the record differ from the effect's, so the host renders the frame again at once.
    void OnDropperSampling(bool finished) override {
        g_bDropperActive.store(finished ? 0 : 1, std::memory_order_relaxed);
        if constexpr (requires(Record r) { r.flag; }) m_editProps.flag = !m_editProps.flag;
        Apply();
    }

protected:
    CEffectPage()
        : CPropertyPageImpl({ComModule::Instance(), D.dialogId, IDS_PAGE_TITLE, IDS_PAGE_HELPFILE, IDS_PAGE_DOCSTRING,
                             D.helpContext}) {
        std::memset(&m_editProps, 0, sizeof m_editProps);
        for (size_t i : kKnobFields) SetNumber(D.fields[i], 1.0f);
    }

    intptr_t OnDialogMessage(UINT msg, WPARAM wParam, LPARAM lParam) override {
        switch (msg) {
        case WM_INITDIALOG:
            AttachControls();
            RegisterForNotifications(m_hWnd, page::kRefreshCommand);
            Refresh();
            return TRUE;
        case WM_DESTROY:
            // The window is going: the effect stops posting to it.
            RegisterForNotifications(nullptr, 0);
            return FALSE;
        case WM_COMMAND: return OnCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam));
        default: return FALSE;
        }
    }

private:
    static constexpr auto kKnobFields = page::FieldsOfKind<D, FieldKind::Number>();
    static constexpr auto kColourFields = page::FieldsOfKind<D, FieldKind::Colour>();

    bool IsPageEffect(IUnknown* object) const {
        ComPtr<ISfExchangeProps<Record>> exchange;
        ComPtr<IPersistStreamInit> persist;
        CLSID clsid{};
        return SUCCEEDED(object->QueryInterface(IID_ISfExchangeProps, exchange.ReleaseAndGetVoidAddress())) &&
               SUCCEEDED(object->QueryInterface(IID_IPersistStreamInit, persist.ReleaseAndGetVoidAddress())) &&
               SUCCEEDED(persist->GetClassID(&clsid)) && clsid == D.clsid;
    }

    // Asked of the first object anew at every use.
    ComPtr<ISfExchangeProps<Record>> Exchange() const {
        ComPtr<ISfExchangeProps<Record>> exchange;
        if (!m_ppUnk.empty()) m_ppUnk[0]->QueryInterface(IID_ISfExchangeProps, exchange.ReleaseAndGetVoidAddress());
        return exchange;
    }

    void RegisterForNotifications(HWND window, UINT command) {
        if (auto exchange = Exchange()) exchange->SetNotifyWindow(window, command);
    }

    void AttachControls() {
        CSkin& skin = *g_pSkin;
        m_info.Attach(m_hWnd, page::kInfoItem, skin.GetBitmap(page::kInfoBitmap));
        m_help.Attach(m_hWnd, page::kHelpItem, skin.GetBitmap(page::kHelpBitmap));
        for (size_t k = 0; k < m_knobs.size(); ++k) {
            const RecordFieldDescriptor& f = D.fields[kKnobFields[k]];
            m_knobs[k].Attach(this, m_hWnd, int(f.controlItem), int(f.entryItem), skin.GetBitmap(page::kKnobStrip),
                              page::kKnobFrames);
        }
        m_title.Attach(m_hWnd, page::kTitleItem);
        for (size_t c = 0; c < m_swatches.size(); ++c) {
            const RecordFieldDescriptor& f = D.fields[kColourFields[c]];
            m_swatches[c].Attach(this, m_hWnd, int(f.controlItem), int(f.entryItem), skin.GetBitmap(page::kSwatchBitmap));
            m_droppers[c].Attach(this, m_hWnd, int(f.entryItem), &m_swatches[c], skin.GetBitmap(page::kDropperBitmap),
                                 skin.GetDropperCursor());
        }
    }

    // Reads the effect's record and shows it; the knobs report their changes, which land
    // in m_editProps again, and nothing is applied.
    void Refresh() {
        auto exchange = Exchange();
        if (!exchange || FAILED(exchange->GetProps(&m_editProps))) return;
        for (size_t c = 0; c < m_swatches.size(); ++c) m_swatches[c].SetColor(Colour(D.fields[kColourFields[c]]));
        for (size_t k = 0; k < m_knobs.size(); ++k) ShowInKnob(k, Number(D.fields[kKnobFields[k]]));
    }

    // Puts the knob at the field's value. The knob reports its clamped position, which
    // must not replace a record value beyond its ends; the box shows the record's value,
    // also when the knob stood there already and the box held other text.
    void ShowInKnob(size_t k, float value) {
        const RecordFieldDescriptor& f = D.fields[kKnobFields[k]];
        SetNumber(f, value);
        m_knobs[k].SetValue(value);
        SetNumber(f, value);
        ShowNumber(f);
    }

    intptr_t OnCommand(int id, int notification, HWND) {
        if (id == int(page::kRefreshCommand) && notification == 0) {
            Refresh();
            return TRUE;
        }
        if (id == page::kHelpItem && notification == 0) return Help(nullptr), TRUE;
        if (id == page::kInfoItem && notification == 0) {
            if (g_pSkin) g_pSkin->ShowOptions(m_hWnd);
            return TRUE;
        }
        if (notification == EN_KILLFOCUS)
            for (size_t k = 0; k < m_knobs.size(); ++k)
                if (int(D.fields[kKnobFields[k]].entryItem) == id) return EditFinished(k), TRUE;
        return FALSE;
    }

    // A knob's edit box lost the focus: its text, in percent, becomes the field (not
    // clamped: the record may hold values beyond the knob's ends) and is applied. Text
    // that is not a number leaves the field as it was and shows it again, and so does
    // text left as the page showed it: the box holds one decimal of a percent, and
    // tabbing through must not round a finer value away.
    void EditFinished(size_t k) {
        const RecordFieldDescriptor& f = D.fields[kKnobFields[k]];
        char text[260] = {}, shown[32];
        GetDlgItemTextA(m_hWnd, int(f.entryItem), text, sizeof text);
        page::FormatPercent(Number(f), shown, sizeof shown);
        if (std::strcmp(text, shown) == 0) return;
        float value;
        if (!page::ParsePercent(text, &value)) {
            ShowNumber(f);
            return;
        }
        ShowInKnob(k, value);
        Apply();
    }

    void ShowNumber(const RecordFieldDescriptor& f) {
        char text[32];
        page::FormatPercent(Number(f), text, sizeof text);
        SetDlgItemTextA(m_hWnd, int(f.entryItem), text);
    }

    BYTE* FieldBytes(const RecordFieldDescriptor& f) { return reinterpret_cast<BYTE*>(&m_editProps) + f.offset; }
    float Number(const RecordFieldDescriptor& f) {
        float v;
        std::memcpy(&v, FieldBytes(f), sizeof v);
        return v;
    }
    void SetNumber(const RecordFieldDescriptor& f, float v) { std::memcpy(FieldBytes(f), &v, sizeof v); }
    COLORREF Colour(const RecordFieldDescriptor& f) {
        COLORREF c;
        std::memcpy(&c, FieldBytes(f), sizeof c);
        return c;
    }
    void SetColour(const RecordFieldDescriptor& f, COLORREF c) { std::memcpy(FieldBytes(f), &c, sizeof c); }

    Record m_editProps;
    std::array<CKnob, kKnobFields.size()> m_knobs;
    CTitle m_title;
    CBitButton m_help, m_info;
    std::array<CColorButton, kColourFields.size()> m_swatches;
    std::array<CDropper, kColourFields.size()> m_droppers;
};
