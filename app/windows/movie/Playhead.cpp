#include "app/windows/movie/Playhead.h"

#include <algorithm>

namespace zarvik::movie {

void Playhead::Reset(int frames, int rate, std::uint32_t nowMs) {
    frames_ = std::max(frames, 0);
    rate_ = std::max(rate, 1);
    frame_ = 0;
    Restart(nowMs);
}

void Playhead::Play(std::uint32_t nowMs) {
    // A movie that ran to its end without looping plays again from the start.
    if (!loop_ && frames_ > 1 && frame_ == frames_ - 1) frame_ = 0;
    if (!playing_) Restart(nowMs);
    playing_ = true;
}

void Playhead::GotoFrame(int frame, std::uint32_t nowMs) {
    frame_ = std::clamp(frame, 0, std::max(frames_ - 1, 0));
    Restart(nowMs);
}

void Playhead::Restart(std::uint32_t nowMs) {
    anchorMs_ = nowMs;
    counted_ = 0;
}

bool Playhead::Tick(std::uint32_t nowMs) {
    if (!Running()) return false;
    const std::int64_t due = std::int64_t(std::uint32_t(nowMs - anchorMs_)) * rate_ / 1000;
    std::int64_t step = due - counted_;
    if (step <= 0) return false;
    if (step > rate_) {
        // More than a second behind (a busy window, a sleeping machine): go on from here
        // instead of racing through the missed frames.
        Restart(nowMs);
        step = 1;
    } else {
        counted_ = due;
        const std::int64_t seconds = counted_ / rate_;
        anchorMs_ += std::uint32_t(seconds * 1000);
        counted_ -= seconds * rate_;
    }
    const int before = frame_;
    if (loop_) {
        frame_ = int((frame_ + step) % frames_);
    } else {
        frame_ = int(std::min<std::int64_t>(frame_ + step, frames_ - 1));
        if (frame_ == frames_ - 1) playing_ = false;
    }
    return frame_ != before;
}

std::uint32_t Playhead::MsToNextFrame(std::uint32_t nowMs) const {
    // The next frame is due when (elapsed * rate / 1000) reaches counted_ + 1.
    const std::int64_t dueAt = ((counted_ + 1) * 1000 + rate_ - 1) / rate_;
    const std::int64_t elapsed = std::uint32_t(nowMs - anchorMs_);
    return std::uint32_t(std::max<std::int64_t>(dueAt - elapsed, 1));
}

}  // namespace zarvik::movie
