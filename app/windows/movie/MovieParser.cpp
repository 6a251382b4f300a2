#include "app/windows/movie/MovieParser.h"

#include <charconv>
#include <cmath>
#include <map>

namespace zarvik::movie {
namespace {

constexpr std::string_view kMagic = "zarvik-movie";

struct Token {
    std::string text;
    bool quoted = false;
};

struct Failure {
    std::string why;
};

// Blanks separate words; a word in double quotes may hold blanks, \" and \\.
std::vector<Token> Words(std::string_view line) {
    std::vector<Token> words;
    size_t i = 0;
    while (true) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
        if (i == line.size()) return words;
        Token word;
        if (line[i] == '"') {
            word.quoted = true;
            for (++i;; ++i) {
                if (i == line.size()) throw Failure{"a quote is not closed"};
                if (line[i] == '"') break;
                if (line[i] == '\\' && i + 1 < line.size() && (line[i + 1] == '"' || line[i + 1] == '\\')) ++i;
                word.text += line[i];
            }
            ++i;
            if (i < line.size() && line[i] != ' ' && line[i] != '\t')
                throw Failure{"a blank must follow a quoted word"};
        } else {
            while (i < line.size() && line[i] != ' ' && line[i] != '\t') word.text += line[i++];
        }
        words.push_back(std::move(word));
    }
}

class Reader {
  public:
    explicit Reader(std::vector<Token> words) : words_(std::move(words)) {}

    bool More() const { return next_ < words_.size(); }
    const Token& Word(const char* what) {
        if (!More()) throw Failure{std::string("missing ") + what};
        return words_[next_++];
    }
    double Number(const char* what, double low, double high) {
        const std::string& text = Word(what).text;
        double value = 0;
        const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
        if (ec != std::errc() || end != text.data() + text.size() || !std::isfinite(value))
            throw Failure{std::string(what) + " is not a number: \"" + text + "\""};
        if (value < low || value > high) throw Failure{std::string(what) + " out of range: " + text};
        return value;
    }
    int Whole(const char* what, int low, int high) {
        const std::string& text = Word(what).text;
        int value = 0;
        const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
        if (ec == std::errc::result_out_of_range) throw Failure{std::string(what) + " out of range: " + text};
        if (ec != std::errc() || end != text.data() + text.size())
            throw Failure{std::string(what) + " is not a whole number: \"" + text + "\""};
        if (value < low || value > high) throw Failure{std::string(what) + " out of range: " + text};
        return value;
    }
    Colour ColourValue() {
        const std::string& text = Word("colour").text;
        if (text.size() == 1 && text[0] >= '0' && text[0] <= '7') return GameColour(text[0] - '0');
        unsigned rgb = 0;
        if (text.size() == 7 && text[0] == '#') {
            const auto [end, ec] = std::from_chars(text.data() + 1, text.data() + 7, rgb, 16);
            if (ec == std::errc() && end == text.data() + 7)
                return {std::uint8_t(rgb >> 16), std::uint8_t(rgb >> 8), std::uint8_t(rgb)};
        }
        throw Failure{"a colour is a digit 0-7 or #rrggbb, not \"" + text + "\""};
    }
    void End() {
        if (More()) throw Failure{"unexpected \"" + words_[next_].text + "\""};
    }

  private:
    std::vector<Token> words_;
    size_t next_ = 0;
};

class Parser {
  public:
    Movie Run(std::string_view bytes) {
        if (bytes.size() > kMaxMovieBytes) throw Failure{"larger than " + std::to_string(kMaxMovieBytes) + " bytes"};
        if (bytes.find('\0') != std::string_view::npos) throw Failure{"binary data"};
        if (bytes.substr(0, kMagic.size()) != kMagic) throw Failure{"not a movie"};
        size_t at = 0;
        while (at < bytes.size() || !line_) {
            size_t stop = bytes.find('\n', at);
            if (stop == std::string_view::npos) stop = bytes.size();
            std::string_view line = bytes.substr(at, stop - at);
            at = stop + 1;
            ++line_;
            if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
            if (line.size() > kMaxLineBytes) throw Failure{"line longer than " + std::to_string(kMaxLineBytes)};
            Line(line);
        }
        if (!ended_) {
            line_ = 0;
            throw Failure{"no \"end\" line: the file is cut short"};
        }
        line_ = 0;
        return std::move(movie_);
    }
    int line() const { return line_; }

  private:
    void Line(std::string_view text) {
        std::vector<Token> words = Words(text);
        if (words.empty() || (!words[0].quoted && words[0].text[0] == '#')) return;
        if (ended_) throw Failure{"text after \"end\""};
        const std::string head = words[0].quoted ? std::string() : words[0].text;
        Reader in(std::move(words));
        in.Word("word");
        if (line_ == 1) {
            if (head != kMagic) throw Failure{"not a movie"};
            const int version = in.Whole("version", 0, 1 << 30);
            if (version != 1) throw Failure{"version " + std::to_string(version) + " is not supported"};
            in.End();
            return;
        }
        if (head == "stage" || head == "rate" || head == "frames" || head == "background") return Header(head, in);
        if (head == "rect" || head == "ellipse" || head == "line" || head == "text") return NewItem(head, in);
        if (head == "at") return NewKey(in);
        if (head == "end") {
            in.End();
            if (current_ && current_->keys.empty()) throw Failure{"the last item has no \"at\" line"};
            if (!current_) Complete();
            ended_ = true;
            return;
        }
        throw Failure{"unknown word \"" + (head.empty() ? std::string(text.substr(0, 20)) : head) + "\""};
    }

    void Header(const std::string& head, Reader& in) {
        if (current_) throw Failure{"\"" + head + "\" after the first item"};
        if (!seen_.insert({head, line_}).second) throw Failure{"\"" + head + "\" given twice"};
        if (head == "stage") {
            movie_.width = in.Number("stage width", 1, kMaxStage);
            movie_.height = in.Number("stage height", 1, kMaxStage);
        } else if (head == "rate") {
            movie_.rate = in.Whole("rate", 1, kMaxRate);
        } else if (head == "frames") {
            movie_.frames = in.Whole("frames", 1, kMaxFrames);
        } else {
            movie_.background = in.ColourValue();
        }
        in.End();
    }

    void Complete() {
        for (const char* needed : {"stage", "rate", "frames"})
            if (!seen_.count(needed)) throw Failure{std::string("no \"") + needed + "\" line before the items"};
    }

    void NewItem(const std::string& head, Reader& in) {
        if (current_ && current_->keys.empty()) throw Failure{"the item before has no \"at\" line"};
        if (!current_) Complete();
        if (movie_.items.size() >= size_t(kMaxItems))
            throw Failure{"more than " + std::to_string(kMaxItems) + " items"};
        Item item;
        item.shape = head == "rect"      ? Shape::Rect
                     : head == "ellipse" ? Shape::Ellipse
                     : head == "line"    ? Shape::Line
                                         : Shape::Text;
        if (item.shape == Shape::Text) {
            item.text = in.Word("text").text;
            if (item.text.size() > kMaxTextBytes) throw Failure{"text longer than " + std::to_string(kMaxTextBytes)};
        }
        while (in.More()) {
            const Token& option = in.Word("option");
            const bool text = item.shape == Shape::Text;
            if (text && option.text == "font") {
                item.font = in.Word("font").text;
                if (item.font.empty() || item.font.size() > kMaxFontBytes) throw Failure{"font name empty or too long"};
            } else if (text && option.text == "bold") {
                item.bold = true;
            } else if (text && option.text == "align") {
                const std::string& how = in.Word("alignment").text;
                if (how == "left")
                    item.align = Align::Left;
                else if (how == "centre" || how == "center")
                    item.align = Align::Centre;
                else if (how == "right")
                    item.align = Align::Right;
                else
                    throw Failure{"alignment is left, centre or right, not \"" + how + "\""};
            } else if (item.shape == Shape::Line && option.text == "pen") {
                item.pen = in.Number("pen", 0, kMaxValue);
            } else {
                throw Failure{"\"" + option.text + "\" does not belong to " + head};
            }
        }
        movie_.items.push_back(std::move(item));
        current_ = &movie_.items.back();
    }

    void NewKey(Reader& in) {
        if (!current_) throw Failure{"\"at\" before the first item"};
        if (++keys_ > kMaxKeys) throw Failure{"more than " + std::to_string(kMaxKeys) + " keys"};
        Key key;
        key.frame = in.Whole("frame", 0, movie_.frames - 1);
        if (!current_->keys.empty() && key.frame <= current_->keys.back().frame)
            throw Failure{"key frames of an item must rise"};
        static const std::map<std::string, Property> kProperties = {
            {"x", kX}, {"y", kY}, {"w", kW}, {"h", kH}, {"size", kSize}};
        bool eased = false;
        while (in.More()) {
            const std::string word = in.Word("property").text;
            if (const auto found = kProperties.find(word); found != kProperties.end()) {
                auto& value = key.values[found->second];
                if (value) throw Failure{"\"" + word + "\" given twice"};
                value = in.Number(word.c_str(), -kMaxValue, kMaxValue);
                if (found->second == kSize && *value < 0) throw Failure{"size below 0"};
            } else if (word == "colour" || word == "color") {
                if (key.colour) throw Failure{"colour given twice"};
                key.colour = in.ColourValue();
            } else if (word == "show" || word == "hide") {
                if (key.visible) throw Failure{"show or hide given twice"};
                key.visible = word == "show";
            } else if (word == "ease") {
                if (eased) throw Failure{"ease given twice"};
                eased = true;
                const std::string& how = in.Word("easing").text;
                if (how == "in")
                    key.ease = Ease::In;
                else if (how == "out")
                    key.ease = Ease::Out;
                else if (how == "inout")
                    key.ease = Ease::InOut;
                else if (how != "linear")
                    throw Failure{"easing is linear, in, out or inout, not \"" + how + "\""};
            } else {
                throw Failure{"unknown property \"" + word + "\""};
            }
        }
        current_->keys.push_back(key);
    }

    Movie movie_;
    Item* current_ = nullptr;
    std::map<std::string, int> seen_;
    int keys_ = 0;
    int line_ = 0;
    bool ended_ = false;
};

}  // namespace

std::optional<Movie> ParseMovie(std::string_view bytes, std::string* error) {
    Parser parser;
    try {
        return parser.Run(bytes);
    } catch (const Failure& failure) {
        if (error) *error = parser.line() ? "line " + std::to_string(parser.line()) + ": " + failure.why : failure.why;
        return std::nullopt;
    }
}

}  // namespace zarvik::movie
