// The place in the studio's window where the effect's own property page lives: the
// module's page object for the effect, given a page site of the studio's own and the
// effect object, activated into a rectangle of the window, and taken down again when the
// effect changes.
#pragma once

#include "host/cli/effect_catalog.h"
#include "platform/com/unknown.h"
#include "platform/ui/ocidl.h"

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
    bool Showing() const { return bool(m_page); }
    // The page's dialog keys (Tab among its items); true when it took msg.
    bool TakesMessage(MSG* msg);

private:
    class Site;
    ComPtr<IPropertyPage> m_page;
    ComPtr<IPropertyPageSite> m_site;
};

}  // namespace brushwerk::studio
