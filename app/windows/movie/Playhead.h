#pragma once

// Which frame a movie is on while it plays, by the clock rather than by counting timer ticks:
// a late or coarse timer shows the right frame, it only shows it a little later.

#include <cstdint>

namespace zarvik::movie {

class Playhead {
  public:
    // A new movie: frame 0; playing and looping stay as they were.
    void Reset(int frames, int rate, std::uint32_t nowMs);

    // From the current frame; from frame 0 when a movie without looping has ended.
    void Play(std::uint32_t nowMs);
    void Stop() { playing_ = false; }
    // Clamped to the movie; playing goes on from there.
    void GotoFrame(int frame, std::uint32_t nowMs);
    void SetLoop(bool loop) { loop_ = loop; }

    // Moves on by the time passed; true when the frame changed. Without looping the movie
    // stops on its last frame.
    bool Tick(std::uint32_t nowMs);
    // Milliseconds until the next frame is due (at least 1); only meaningful while Running().
    std::uint32_t MsToNextFrame(std::uint32_t nowMs) const;

    // Playing, with more than one frame to show: only then does anything need a timer.
    bool Running() const { return playing_ && frames_ > 1; }
    bool playing() const { return playing_; }
    bool loop() const { return loop_; }
    int frame() const { return frame_; }
    int frames() const { return frames_; }

  private:
    void Restart(std::uint32_t nowMs);

    int frames_ = 0;
    int rate_ = 12;
    int frame_ = 0;
    bool playing_ = false;
    bool loop_ = true;
    // Frames are counted from the anchor time; the count is folded into the anchor every whole
    // second so the numbers stay small however long it plays.
    std::uint32_t anchorMs_ = 0;
    std::int64_t counted_ = 0;
};

}  // namespace zarvik::movie
