#include "app/windows/movie/Movie.h"

#include <cmath>

namespace zarvik::movie {
namespace {

constexpr std::array<double, kPropertyCount> kDefaults = {0, 0, 0, 0, 12};

double Eased(Ease ease, double t) {
    switch (ease) {
        case Ease::Linear: return t;
        case Ease::In: return t * t;
        case Ease::Out: return 1 - (1 - t) * (1 - t);
        case Ease::InOut: return t < 0.5 ? 2 * t * t : 1 - 2 * (1 - t) * (1 - t);
    }
    return t;
}

// The value a track has at `frame`: held before its first key and after its last, eased in
// between. `get` gives a key's value for the track, or nothing when the key leaves it alone.
template <typename T, typename Get, typename Mix>
std::optional<T> Track(const std::vector<Key>& keys, int frame, Get get, Mix mix) {
    const Key* before = nullptr;
    for (const Key& key : keys) {
        const std::optional<T> value = get(key);
        if (!value) continue;
        if (key.frame <= frame) {
            before = &key;
            continue;
        }
        if (!before) return value;
        const double t = double(frame - before->frame) / double(key.frame - before->frame);
        return mix(*get(*before), *value, Eased(key.ease, t));
    }
    return before ? get(*before) : std::nullopt;
}

std::uint8_t MixChannel(std::uint8_t a, std::uint8_t b, double t) {
    return static_cast<std::uint8_t>(std::lround(a + (double(b) - a) * t));
}

}  // namespace

Colour GameColour(int code) {
    static constexpr Colour kColours[8] = {{0, 0, 0},   {255, 0, 0},   {0, 255, 0},   {255, 255, 0},
                                           {0, 0, 255}, {0, 255, 255}, {255, 0, 255}, {255, 255, 255}};
    return kColours[code & 7];
}

std::vector<Drawn> FrameContents(const Movie& movie, int frame) {
    std::vector<Drawn> shown;
    if (frame < 0 || frame >= movie.frames) return shown;
    for (const Item& item : movie.items) {
        if (item.keys.empty() || item.keys.front().frame > frame) continue;
        bool visible = true;  // a show or hide holds until the next one
        for (const Key& key : item.keys)
            if (key.frame <= frame && key.visible) visible = *key.visible;
        if (!visible) continue;
        Drawn drawn;
        drawn.item = &item;
        for (int p = 0; p < kPropertyCount; ++p) {
            drawn.values[p] = Track<double>(
                                  item.keys, frame, [p](const Key& k) { return k.values[p]; },
                                  [](double a, double b, double t) { return a + (b - a) * t; })
                                  .value_or(kDefaults[p]);
        }
        drawn.colour = Track<Colour>(
                           item.keys, frame, [](const Key& k) { return k.colour; },
                           [](Colour a, Colour b, double t) {
                               return Colour{MixChannel(a.r, b.r, t), MixChannel(a.g, b.g, t), MixChannel(a.b, b.b, t)};
                           })
                           .value_or(GameColour(7));
        shown.push_back(drawn);
    }
    return shown;
}

std::vector<TextRun> SplitColourCodes(std::string_view text, Colour base) {
    std::vector<TextRun> runs;
    TextRun run{{}, base};
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '^' && i + 1 < text.size() && text[i + 1] >= '0' && text[i + 1] <= '7') {
            if (!run.text.empty()) runs.push_back(run);
            run = {{}, GameColour(text[i + 1] - '0')};
            ++i;
            continue;
        }
        run.text += text[i];
    }
    if (!run.text.empty()) runs.push_back(run);
    return runs;
}

}  // namespace zarvik::movie
