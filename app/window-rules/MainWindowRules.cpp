#include "app/window-rules/MainWindowRules.h"

#include <algorithm>
#include <cstdlib>

namespace zarvik {

std::string MovieFolder(const std::string& programFolder) {
    std::string folder = programFolder;
    std::replace(folder.begin(), folder.end(), '/', '\\');
    if (folder.empty() || folder.back() != '\\') folder += '\\';
    return folder;
}

void NameModel::SetText(const std::string& text) {
    if (text == text_) return;
    Fill(text);
}

void NameModel::Fill(const std::string& text) {
    text_ = text;
    settings_.Write("Name", text_);
    if (changed_) changed_();
}

void TitleClick(TitlePlayer& player) {
    constexpr int kRestingFrame = 64;
    if (player.IsPlaying()) {
        player.SetTag(std::to_string(player.CurrentFrame()));
        player.GotoFrame(kRestingFrame);
        player.Stop();
        return;
    }
    const std::string remembered = player.Tag();
    char* end = nullptr;
    const long frame = std::strtol(remembered.c_str(), &end, 10);
    if (!remembered.empty() && end && *end == '\0' && frame >= 0) player.GotoFrame(static_cast<int>(frame));
    player.Play();
}

}  // namespace zarvik
