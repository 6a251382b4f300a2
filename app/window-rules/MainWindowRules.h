#pragma once

// The main window's rules that need no window: its texts, the program-folder path the movies
// are found by, the name box's settings writes and the title's pause and resume.

#include "app/engine/Ports.h"
#include "app/settings/SettingsStore.h"

#include <functional>
#include <string>

namespace zarvik {

constexpr char kCloseCaption[] = "Close Zarvik";
constexpr char kCloseQuestion[] =
    "Are you sure you want to exit Zarvik?\r\n"
    "Note: If you would like to minimize Zarvik instead, click on the Minimize button.";
constexpr char kRunningCaption[] = "Zarvik Is Already Running!";
constexpr char kRunningText[] =
    "Zarvik is already running!\r\n"
    "If you cannot see it:\r\n"
    "\t1) Check the system tray\r\n"
    "\t2) Check running processes";

// The program's folder with every "/" turned into "\" and a "\" appended unless it already
// ends with one: where title.swf and credits.swf are looked for.
std::string MovieFolder(const std::string& programFolder);

// The name box: every change of its text, by the player or by the engine, is stored as the
// "Name" setting, one write a change.
class NameModel : public NameBox {
  public:
    explicit NameModel(SettingsStore& settings) : settings_(settings) {}

    std::string Text() const override { return text_; }
    void SetText(const std::string& text) override;
    // The start-up fill: the box is set and written even when the text stays empty, so that the
    // settings file holds the key afterwards.
    void Fill(const std::string& text);
    void OnChanged(std::function<void()> listener) { changed_ = std::move(listener); }

  private:
    SettingsStore& settings_;
    std::string text_;
    std::function<void()> changed_;
};

// What the title click needs of the movie player.
class TitlePlayer {
  public:
    virtual ~TitlePlayer() = default;
    virtual bool IsPlaying() = 0;
    virtual int CurrentFrame() = 0;
    virtual void GotoFrame(int frame) = 0;
    virtual void Play() = 0;
    virtual void Stop() = 0;
    virtual std::string Tag() = 0;
    virtual void SetTag(const std::string& tag) = 0;
};

// A click on the title: playing, it remembers the frame in the player's tag, shows frame 64
// and stops; stopped, it goes back to the remembered frame and plays. With nothing remembered
// (the title never played) it just plays.
void TitleClick(TitlePlayer& player);

}  // namespace zarvik
