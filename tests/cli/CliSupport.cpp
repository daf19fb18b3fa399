#include "tests/cli/CliSupport.h"

#include <cctype>
#include <sstream>

namespace orvane::test {
namespace {

// A small recursive-descent JSON reader that only says whether the text is valid.
class JsonChecker {
public:
    explicit JsonChecker(const std::string& t) : t_(t) {}

    bool Valid() { return Value() && (Skip(), i_ == t_.size()); }

private:
    void Skip()
    {
        while (i_ < t_.size() && std::isspace(static_cast<unsigned char>(t_[i_])))
            ++i_;
    }
    bool Eat(char c)
    {
        Skip();
        if (i_ < t_.size() && t_[i_] == c)
            return ++i_, true;
        return false;
    }
    bool Word(const char* w)
    {
        const std::string s = w;
        if (t_.compare(i_, s.size(), s) != 0)
            return false;
        i_ += s.size();
        return true;
    }
    bool String()
    {
        if (!Eat('"'))
            return false;
        while (i_ < t_.size() && t_[i_] != '"') {
            const unsigned char c = static_cast<unsigned char>(t_[i_++]);
            if (c < 0x20)
                return false;
            if (c == '\\') {
                if (i_ >= t_.size())
                    return false;
                const char e = t_[i_++];
                if (e == 'u') {
                    for (int k = 0; k < 4; ++k)
                        if (i_ >= t_.size() || !std::isxdigit(static_cast<unsigned char>(t_[i_++])))
                            return false;
                } else if (std::string("\"\\/bfnrt").find(e) == std::string::npos) {
                    return false;
                }
            }
        }
        return Eat('"');
    }
    bool Number()
    {
        const std::size_t start = i_;
        if (i_ < t_.size() && t_[i_] == '-')
            ++i_;
        while (i_ < t_.size() && (std::isdigit(static_cast<unsigned char>(t_[i_])) ||
                                  t_[i_] == '.' || t_[i_] == 'e' || t_[i_] == 'E' || t_[i_] == '+'))
            ++i_;
        return i_ > start;
    }
    template <class Item>
    bool List(char close, Item item)
    {
        if (Eat(close))
            return true;
        do {
            if (!item())
                return false;
        } while (Eat(','));
        return Eat(close);
    }
    bool Value()
    {
        Skip();
        if (i_ >= t_.size())
            return false;
        switch (t_[i_]) {
        case '{': ++i_; return List('}', [this] { return String() && Eat(':') && Value(); });
        case '[': ++i_; return List(']', [this] { return Value(); });
        case '"': return String();
        case 't': return Word("true");
        case 'f': return Word("false");
        case 'n': return Word("null");
        default: return Number();
        }
    }

    const std::string& t_;
    std::size_t i_ = 0;
};

} // namespace

std::string Golden(const std::string& name) { return ReadText(GOLDEN_DIR + name); }

bool IsJson(const std::string& text) { return JsonChecker(text).Valid(); }

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

} // namespace orvane::test
