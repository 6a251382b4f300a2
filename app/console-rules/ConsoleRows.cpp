#include "app/console-rules/ConsoleRows.h"

#include "app/console-rules/TypedEcho.h"

#include <algorithm>

namespace zarvik {

std::string TypedLine(std::string_view text) {
    std::string line(text.substr(0, kTypedLineLimit));
    for (char& c : line)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) c = ' ';
    return line;
}

std::string ShownText(std::string_view text, ColourCodes codes) {
    std::string shown;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '^' && i + 1 < text.size()) {
            const char c = text[i + 1];
            if (codes == ColourCodes::V104 ? c >= '0' && c <= '7' : c != '^') {
                ++i;
                continue;
            }
        }
        shown += text[i] >= ' ' && text[i] <= '~' ? text[i] : '.';
    }
    return shown;
}

std::string_view TrimRow(std::string_view row) {
    const std::size_t end = row.find_last_not_of(' ');
    return end == std::string_view::npos ? std::string_view() : row.substr(0, end + 1);
}

std::vector<RowLine> JoinRows(const std::vector<std::string>& rows, std::size_t width) {
    std::vector<RowLine> lines;
    std::string line;
    for (std::size_t r = 0; r < rows.size(); ++r) {
        const std::string_view row = rows[r];
        const bool goesOn = width > 0 && row.size() >= width && row[width - 1] != ' ';
        if (goesOn) {
            line.append(row.substr(0, width));
            continue;
        }
        line.append(TrimRow(row));
        lines.push_back({std::move(line), static_cast<int>(r) + 1});
        line.clear();
    }
    return lines;
}

ReadMark MarkAt(const std::vector<std::string>& rows, int row) {
    row = std::clamp(row, 0, static_cast<int>(rows.size()));
    const int first = std::max(0, row - kAnchorRows);
    return {row, std::vector<std::string>(rows.begin() + first, rows.begin() + row)};
}

int RelocateMark(const ReadMark& mark, const std::vector<std::string>& rows) {
    const int size = static_cast<int>(mark.anchor.size());
    if (size == 0) return std::min(mark.row, static_cast<int>(rows.size()));
    const auto holdsAt = [&](int first) {
        return std::equal(mark.anchor.begin(), mark.anchor.end(), rows.begin() + first);
    };
    // Scrolling only moves rows up: search from the old place upwards.
    for (int first = std::min(mark.row, static_cast<int>(rows.size())) - size; first >= 0; --first)
        if (holdsAt(first)) return first + size;
    // Its first rows may have gone off the top while the last ones are still there.
    for (int kept = std::min(size - 1, static_cast<int>(rows.size())); kept > 0; --kept)
        if (std::equal(mark.anchor.end() - kept, mark.anchor.end(), rows.begin())) return kept;
    return 0;
}

int RowAfterEcho(const std::vector<RowLine>& lines, std::string_view typed, int none) {
    std::string text;
    for (const RowLine& line : lines) text += line.text + "\r\n";
    const std::string line = TypedLine(typed);
    const std::string v102 = ShownText(line, ColourCodes::V102), v104 = ShownText(line, ColourCodes::V104);
    const std::size_t end = EndOfEcho(text, {TrimRow(v102), TrimRow(v104)});
    if (end == std::string::npos) return none;
    const auto count = std::count(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(end), '\n');
    return lines[static_cast<std::size_t>(count) - 1].endRow;
}

}  // namespace zarvik
