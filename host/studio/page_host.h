// The place in the studio's window where the effect's own property page lives: the
// module's page object for the effect, handed the effect object, activated into a
// rectangle of the window and taken down again when the effect changes.
#pragma once

#include "host/cli/effect_catalog.h"
#include "platform/com/unknown.h"
#include "platform/ui/winuser.h"

namespace brushwerk::studio {

class PageHost {
public:
    PageHost() = default;
    ~PageHost() { Hide(); }
    PageHost(const PageHost&) = delete;
    PageHost& operator=(const PageHost&) = delete;

    // Shows the page of effect, editing object, inside area of parent; false when the
    // module offers no page for it (the studio then lists the record's values itself).
    bool Show(HWND parent, const RECT& area, const cli::EffectInfo& effect, IUnknown* object);
    void Hide();
    bool Showing() const { return m_showing; }
    // The page's own keys (its dialog's Tab and Enter); true when it took msg.
    bool TakesMessage(MSG* msg);

private:
    bool m_showing = false;
};

}  // namespace brushwerk::studio
