#include "host/studio/page_host.h"

namespace brushwerk::studio {

// The module's page classes are not published yet: no page to show, so the studio
// lists the record itself.
bool PageHost::Show(HWND, const RECT&, const cli::EffectInfo&, IUnknown*) {
    m_showing = false;
    return false;
}

void PageHost::Hide() { m_showing = false; }

bool PageHost::TakesMessage(MSG*) { return false; }

}  // namespace brushwerk::studio
