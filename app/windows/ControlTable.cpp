#include "app/windows/ControlTable.h"

namespace zarvik {
namespace {

struct KindInfo {
    const char* windowClass;
    DWORD style;
};

KindInfo InfoOf(ControlKind kind) {
    switch (kind) {
        case ControlKind::Label: return {"static", SS_LEFT | SS_NOTIFY};
        case ControlKind::Button: return {"button", BS_PUSHBUTTON | WS_TABSTOP};
        case ControlKind::TextBox: return {"edit", ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP};
        case ControlKind::MultiLineTextBox:
            return {"edit", ES_MULTILINE | ES_AUTOVSCROLL | WS_VSCROLL | WS_BORDER | WS_TABSTOP};
        case ControlKind::CheckBox: return {"button", BS_AUTOCHECKBOX | WS_TABSTOP};
        case ControlKind::ListBox: return {"listbox", LBS_NOTIFY | WS_VSCROLL | WS_BORDER | WS_TABSTOP};
        case ControlKind::Frame: return {"button", BS_GROUPBOX};
        case ControlKind::Image: return {"static", SS_NOTIFY};
    }
    return {"static", 0};
}

}  // namespace

int TwipsToPixels(int twips, int dpi) { return MulDiv(twips, dpi, 1440); }

winbase::Font SansFont(const char* face, int tenthsOfPoint, int weight, int dpi) {
    return winbase::Font(CreateFontA(-MulDiv(tenthsOfPoint, dpi, 720), 0, 0, 0, weight, FALSE, FALSE, FALSE,
                                     ANSI_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                     VARIABLE_PITCH | FF_SWISS, face));
}

ControlTable::ControlTable(HWND parent, const std::vector<ControlRow>& rows, int dpi)
    // Not DEFAULT_GUI_FONT: its face (MS Shell Dlg, that is Tahoma) is wider, and captions
    // measured for MS Sans Serif were cut.
    : font_(SansFont("MS Sans Serif", 83, FW_NORMAL, dpi)) {
    HINSTANCE instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(parent, GWLP_HINSTANCE));
    int id = 1000;
    for (const ControlRow& row : rows) {
        const KindInfo info = InfoOf(row.kind);
        HWND control = CreateWindowExA(0, info.windowClass, row.caption ? row.caption : "",
                                       WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | info.style | row.extraStyle,
                                       TwipsToPixels(row.left, dpi), TwipsToPixels(row.top, dpi),
                                       TwipsToPixels(row.width, dpi), TwipsToPixels(row.height, dpi), parent,
                                       reinterpret_cast<HMENU>(static_cast<INT_PTR>(++id)), instance, nullptr);
        SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
        controls_[row.name] = control;
        ids_[row.name] = id;
        names_[id] = row.name;
    }
}

HWND ControlTable::operator[](const std::string& name) const {
    auto it = controls_.find(name);
    return it == controls_.end() ? nullptr : it->second;
}

int ControlTable::IdOf(const std::string& name) const {
    auto it = ids_.find(name);
    return it == ids_.end() ? 0 : it->second;
}

const std::string* ControlTable::NameOf(int id) const {
    auto it = names_.find(id);
    return it == names_.end() ? nullptr : &it->second;
}

}  // namespace zarvik
