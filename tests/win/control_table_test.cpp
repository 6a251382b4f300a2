// The declarative control tables every window is built from.
#include "app/windows/ControlTable.h"

#include <gtest/gtest.h>

namespace zarvik {
namespace {

TEST(TwipsToPixels, FollowsTheRealResolution) {
    EXPECT_EQ(TwipsToPixels(4575, 96), 305);
    EXPECT_EQ(TwipsToPixels(4575, 144), 458) << "457.5 rounds up";
    EXPECT_EQ(TwipsToPixels(15, 96), 1);
    EXPECT_EQ(TwipsToPixels(7, 96), 0);
    EXPECT_EQ(TwipsToPixels(8, 96), 1);
    EXPECT_EQ(TwipsToPixels(1905, 120), 159);
}

class Table : public ::testing::Test {
protected:
    void SetUp() override {
        window = CreateWindowExA(0, "static", "form", WS_OVERLAPPEDWINDOW, 0, 0, 400, 300, nullptr, nullptr,
                                 GetModuleHandleA(nullptr), nullptr);
    }
    void TearDown() override { DestroyWindow(window); }
    RECT InParent(HWND control) {
        RECT r;
        GetWindowRect(control, &r);
        MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&r), 2);
        return r;
    }
    HWND window = nullptr;
};

TEST_F(Table, CreatesEachRowWhereItsTwipsSayAtTheGivenResolution) {
    const std::vector<ControlRow> rows = {
        {"Label2", ControlKind::Label, "Name:", 120, 1320, 465, 195},
        {"txtName", ControlKind::TextBox, "", 720, 1320, 2655, 285},
        {"cmdOptions", ControlKind::Button, "&Edit Binds", 3480, 1320, 855, 255},
        {"chkAutoLoad", ControlKind::CheckBox, "Auto-Load on Map Change", 120, 240, 2295, 255},
    };
    for (int dpi : {96, 144}) {
        ControlTable table(window, rows, dpi);
        for (const ControlRow& row : rows) {
            HWND control = table[row.name];
            ASSERT_NE(control, nullptr) << row.name;
            const RECT r = InParent(control);
            EXPECT_EQ(r.left, TwipsToPixels(row.left, dpi)) << row.name << " at " << dpi;
            EXPECT_EQ(r.top, TwipsToPixels(row.top, dpi)) << row.name;
            EXPECT_EQ(r.right - r.left, TwipsToPixels(row.width, dpi)) << row.name;
            EXPECT_EQ(r.bottom - r.top, TwipsToPixels(row.height, dpi)) << row.name;
            char caption[64] = {};
            GetWindowTextA(control, caption, sizeof caption);
            EXPECT_STREQ(caption, row.caption) << row.name;
            // Whole, in the font it is drawn with (a check box's caption beside its box).
            HDC dc = GetDC(control);
            SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(control, WM_GETFONT, 0, 0)));
            SIZE text = {};
            GetTextExtentPoint32A(dc, caption, lstrlenA(caption), &text);
            ReleaseDC(control, dc);
            EXPECT_LE(text.cx + (row.kind == ControlKind::CheckBox ? 20 : 0), r.right - r.left) << row.name;
            EXPECT_EQ(GetDlgCtrlID(control), table.IdOf(row.name));
            ASSERT_NE(table.NameOf(table.IdOf(row.name)), nullptr);
            EXPECT_EQ(*table.NameOf(table.IdOf(row.name)), row.name);
            DestroyWindow(control);
        }
    }
}

TEST_F(Table, KindsBecomeTheirWindowClasses) {
    ControlTable table(window,
                       {{"a", ControlKind::MultiLineTextBox, "", 0, 0, 100, 100},
                        {"b", ControlKind::CheckBox, "x", 0, 0, 100, 100},
                        {"c", ControlKind::ListBox, "", 0, 0, 100, 100},
                        {"d", ControlKind::Frame, "f", 0, 0, 100, 100}},
                       96);
    auto classOf = [](HWND hwnd) {
        char name[32] = {};
        GetClassNameA(hwnd, name, sizeof name);
        return std::string(name);
    };
    EXPECT_EQ(classOf(table["a"]), "Edit");
    EXPECT_TRUE(GetWindowLongA(table["a"], GWL_STYLE) & ES_MULTILINE);
    EXPECT_EQ(GetWindowLongA(table["b"], GWL_STYLE) & BS_TYPEMASK, BS_AUTOCHECKBOX);
    EXPECT_EQ(classOf(table["c"]), "ListBox");
    EXPECT_EQ(GetWindowLongA(table["d"], GWL_STYLE) & BS_TYPEMASK, BS_GROUPBOX);
    EXPECT_EQ(table["missing"], nullptr);
    EXPECT_EQ(table.IdOf("missing"), 0);
}

}  // namespace
}  // namespace zarvik
