// Dialog templates: built in memory as a resource compiler lays them out, and read back
// with every field checked against the end of the bytes.
#include <cstring>

#include "platform/ui/dialog_template.h"

namespace {

constexpr const char* kOrdinalClasses[] = {"Button", "Edit", "Static"};  // 0x80, 0x81, 0x82

class Reader {
public:
    Reader(const void* bytes, size_t size) : m_bytes(static_cast<const BYTE*>(bytes)), m_size(size) {}
    template <class T>
    bool Read(T* out) {
        if (m_at > m_size || m_size - m_at < sizeof(T)) return false;
        std::memcpy(out, m_bytes + m_at, sizeof(T));
        m_at += sizeof(T);
        return true;
    }
    // A string or an ordinal (0xFFFF then the number); UTF-16 kept as Latin-1.
    bool ReadNameOrOrdinal(std::string* text, WORD* ordinal) {
        WORD first;
        if (!Read(&first)) return false;
        *ordinal = 0;
        if (first == 0xFFFF) return Read(ordinal);
        for (WORD c = first; c != 0;) {
            text->push_back(c < 256 ? char(c) : '?');
            if (!Read(&c)) return false;
        }
        return true;
    }
    bool AlignTo(size_t alignment) {
        m_at = (m_at + alignment - 1) / alignment * alignment;
        return m_at <= m_size;
    }
    bool Skip(size_t bytes) {
        if (m_size - m_at < bytes) return false;
        m_at += bytes;
        return true;
    }

private:
    const BYTE* m_bytes;
    size_t m_size;
    size_t m_at = 0;
};

}  // namespace

bool ReadDialogTemplate(const void* bytes, size_t size, DialogTemplate* out) {
    if (!bytes || !out) return false;
    Reader r(bytes, size);
    DLGTEMPLATE head;
    std::string menu, className;
    WORD ordinal;
    if (!r.Read(&head) || !r.ReadNameOrOrdinal(&menu, &ordinal) || !r.ReadNameOrOrdinal(&className, &ordinal) ||
        !r.ReadNameOrOrdinal(&out->title, &ordinal))
        return false;
    out->style = head.style, out->exStyle = head.dwExtendedStyle;
    out->x = head.x, out->y = head.y, out->cx = head.cx, out->cy = head.cy;
    if (head.style & DS_SETFONT)
        if (!r.Read(&out->pointSize) || !r.ReadNameOrOrdinal(&out->font, &ordinal)) return false;
    for (WORD i = 0; i < head.cdit; ++i) {
        DLGITEMTEMPLATE item;
        DialogItemTemplate parsed;
        WORD extra;
        if (!r.AlignTo(4) || !r.Read(&item) || !r.ReadNameOrOrdinal(&parsed.className, &ordinal)) return false;
        if (ordinal >= 0x80 && ordinal <= 0x82) parsed.className = kOrdinalClasses[ordinal - 0x80];
        if (!r.ReadNameOrOrdinal(&parsed.text, &ordinal) || !r.Read(&extra) || !r.Skip(extra)) return false;
        parsed.style = item.style, parsed.exStyle = item.dwExtendedStyle;
        parsed.x = item.x, parsed.y = item.y, parsed.cx = item.cx, parsed.cy = item.cy, parsed.id = item.id;
        out->items.push_back(std::move(parsed));
    }
    return true;
}

DialogTemplateBuilder::DialogTemplateBuilder(DWORD style, DWORD exStyle, short x, short y, short cx, short cy,
                                             const std::string& title, const std::string& font, WORD pointSize) {
    if (!font.empty()) style |= DS_SETFONT;
    DLGTEMPLATE head{style, exStyle, 0, x, y, cx, cy};
    Add(&head, sizeof head);
    const WORD none = 0;
    Add(&none, 2);  // no menu
    Add(&none, 2);  // the dialog class
    AddString(title);
    if (!font.empty()) {
        Add(&pointSize, 2);
        AddString(font);
    }
}

DialogTemplateBuilder& DialogTemplateBuilder::Item(const std::string& className, const std::string& text, WORD id,
                                                   DWORD style, short x, short y, short cx, short cy, DWORD exStyle) {
    AlignToDword();
    DLGITEMTEMPLATE item{style, exStyle, x, y, cx, cy, id};
    Add(&item, sizeof item);
    WORD ordinal = 0;
    for (WORD i = 0; i < 3; ++i)
        if (strcasecmp(className.c_str(), kOrdinalClasses[i]) == 0) ordinal = WORD(0x80 + i);
    if (ordinal) {
        const WORD words[2] = {0xFFFF, ordinal};
        Add(words, 4);
    } else {
        AddString(className);
    }
    AddString(text);
    const WORD noCreationData = 0;
    Add(&noCreationData, 2);
    ++m_count;
    reinterpret_cast<DLGTEMPLATE*>(m_bytes.data())->cdit = m_count;
    return *this;
}

void DialogTemplateBuilder::Add(const void* data, size_t bytes) {
    const auto* words = static_cast<const WORD*>(data);
    m_bytes.insert(m_bytes.end(), words, words + bytes / 2);
}

void DialogTemplateBuilder::AddString(const std::string& text) {
    for (unsigned char c : text) m_bytes.push_back(c);
    m_bytes.push_back(0);
}

void DialogTemplateBuilder::AlignToDword() {
    if (m_bytes.size() % 2) m_bytes.push_back(0);
}
