#include "tools/messages/SourceTexts.h"

#include "foundation/Translate.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <stdexcept>
#include <vector>

namespace orvane::messages {
namespace {

namespace fs = std::filesystem;

const char* const kProductFolders[] = {"foundation", "app",    "image", "catalogue", "options",
                                       "production", "writer", "cli",   "gui"};
// The core less the option dialogs' texts (options/) and the selection tree (catalogue/).
const std::set<std::string> kCoreFolders = {"foundation", "app", "image", "writer", "production"};
const std::set<std::string> kSinks = {"Show", "FileError", "ECommsError", "ConversionError"};
const std::set<std::string> kDelimiters = {",", ";", "?", ":", "=", "return", "throw"};
const char* const kLongPuncts[] = {"::", "->", "==", "!=", "<=", ">=", "+=", "-=",
                                   "*=", "/=", "|=", "&=", "&&", "||", "<<", ">>"};

struct Token {
    enum Kind { Literal, Word, Punct } kind;
    std::string text; // a literal's bytes, escapes decoded, line breaks and tabs as blanks
};

std::string ReadText(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw std::runtime_error("cannot read " + path.string());
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string Decode(const std::string& body)
{
    std::string out;
    for (std::size_t i = 0; i < body.size(); ++i) {
        if (body[i] != '\\' || i + 1 == body.size()) {
            out += body[i];
            continue;
        }
        const char c = body[++i];
        out += c == 'n' || c == 't' || c == 'r' ? ' ' : c;
    }
    return out;
}

bool IsWordChar(char c)
{
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_';
}

// Comments, preprocessor lines and character literals are dropped.
std::vector<Token> Tokenize(const std::string& src)
{
    std::vector<Token> tokens;
    bool lineStart = true;
    for (std::size_t i = 0; i < src.size();) {
        const char c = src[i];
        if (std::isspace(static_cast<unsigned char>(c))) {
            lineStart = lineStart || c == '\n';
            ++i;
        } else if (src.compare(i, 2, "//") == 0 || (c == '#' && lineStart)) {
            i = src.find('\n', i);
        } else if (src.compare(i, 2, "/*") == 0) {
            const std::size_t end = src.find("*/", i);
            i = end == std::string::npos ? src.size() : end + 2;
        } else if (src.compare(i, 3, "R\"(") == 0) { // raw strings here have no delimiter
            const std::size_t end = src.find(")\"", i);
            tokens.push_back({Token::Literal, src.substr(i + 3, end - i - 3)});
            i = end + 2;
        } else if (c == '"' || c == '\'') {
            std::size_t j = i + 1;
            while (j < src.size() && src[j] != c)
                j += src[j] == '\\' ? 2 : 1;
            if (c == '"')
                tokens.push_back({Token::Literal, Decode(src.substr(i + 1, j - i - 1))});
            i = j + 1;
        } else if (IsWordChar(c)) {
            const bool number = std::isdigit(static_cast<unsigned char>(c));
            std::size_t j = i;
            while (j < src.size() && (IsWordChar(src[j]) || (number && src[j] == '\''))) // 1'000
                ++j;
            const bool prefix = src.compare(i, j - i, "u8") == 0 || j - i == 1; // u8"", L"" ...
            if (!(j < src.size() && src[j] == '"' && prefix))
                tokens.push_back({Token::Word, src.substr(i, j - i)});
            i = j;
        } else {
            const bool pair = std::any_of(std::begin(kLongPuncts), std::end(kLongPuncts),
                                          [&](const char* p) { return src.compare(i, 2, p) == 0; });
            tokens.push_back({Token::Punct, src.substr(i, pair ? 2 : 1)});
            i += pair ? 2 : 1;
        }
        if (!std::isspace(static_cast<unsigned char>(c)))
            lineStart = false;
    }
    return tokens;
}

// A letter or a CJK ideograph (UTF-8 lead bytes E4..E9): not just punctuation.
bool HasWords(const std::string& text)
{
    return std::any_of(text.begin(), text.end(), [](unsigned char c) {
        return std::isalpha(c) || (c >= 0xE4 && c <= 0xE9);
    });
}

// The marking functions leave a text what it is: Tr("a") + b reads as "a" + b.
std::vector<Token> Unmarked(const std::vector<Token>& t)
{
    const std::set<std::string> marks = {"Tr", "TrNoop"};
    std::vector<bool> drop(t.size(), false);
    for (std::size_t i = 0; i + 1 < t.size(); ++i) {
        if (t[i].kind != Token::Word || !marks.count(t[i].text) || t[i + 1].text != "(")
            continue;
        int depth = 0;
        for (std::size_t j = i + 1; j < t.size(); ++j) {
            if (t[j].kind == Token::Punct && t[j].text == "(")
                ++depth;
            if (t[j].kind == Token::Punct && t[j].text == ")" && --depth == 0) {
                drop[i] = drop[i + 1] = drop[j] = true;
                break;
            }
        }
    }
    std::vector<Token> kept;
    for (std::size_t i = 0; i < t.size(); ++i)
        if (!drop[i])
            kept.push_back(t[i]);
    return kept;
}

using Constants = std::map<std::string, std::string>;

// kName = "literal"...; names shared across files (a header's constants in its .cpp files).
void CollectConstants(const std::vector<Token>& t, Constants& constants)
{
    for (std::size_t i = 0; i + 3 < t.size(); ++i) {
        const std::string& name = t[i].text;
        if (t[i].kind != Token::Word || name.size() < 2 || name[0] != 'k' ||
            !std::isupper(static_cast<unsigned char>(name[1])) || t[i + 1].text != "=")
            continue;
        std::string text;
        std::size_t j = i + 2;
        for (; j < t.size() && t[j].kind == Token::Literal; ++j)
            text += t[j].text;
        if (j > i + 2 && j < t.size() && t[j].text == ";")
            constants[name] = text;
    }
}

void CollectTexts(const std::vector<Token>& t, const Constants& constants, bool core,
                  SourceTexts& out)
{
    struct Level {
        explicit Level(bool isSink = false) : sink(isSink) {}
        bool sink;
        std::string text;
        bool literal = false;
        bool nonAscii = false; // a literal, not a constant: its definition is where it counts
        void Placeholder()
        {
            if (!text.ends_with(kPlaceholder))
                text += kPlaceholder;
        }
    };
    std::vector<Level> stack(1);
    const auto finish = [&] {
        Level& e = stack.back();
        const std::string text = Normalise(e.text);
        if (e.literal && HasWords(text)) {
            out.all.insert(text);
            if (e.sink || (core && e.nonAscii))
                out.messages.insert(text);
        }
        e = Level(e.sink);
    };
    for (std::size_t i = 0; i < t.size(); ++i) {
        const std::string& x = t[i].text;
        const bool punct = t[i].kind == Token::Punct;
        const auto constant = constants.find(x);
        if (punct && (x == "(" || x == "[" || x == "{")) {
            stack.back().Placeholder();
            stack.emplace_back(x == "(" && i > 0 && kSinks.count(t[i - 1].text) > 0);
        } else if (punct && (x == ")" || x == "]" || x == "}") && stack.size() > 1) {
            finish();
            stack.pop_back();
        } else if (t[i].kind != Token::Literal && kDelimiters.count(x)) {
            finish();
        } else if (t[i].kind == Token::Literal || constant != constants.end()) {
            Level& e = stack.back();
            const std::string& text = t[i].kind == Token::Literal ? x : constant->second;
            e.text += text;
            e.literal = true;
            e.nonAscii = e.nonAscii || (t[i].kind == Token::Literal &&
                                        std::any_of(text.begin(), text.end(),
                                                    [](unsigned char b) { return b >= 0x80; }));
        } else {
            stack.back().Placeholder();
        }
    }
}

} // namespace

std::string Normalise(const std::string& raw)
{
    std::string text;
    for (const char c : raw) {
        const bool blank = std::isspace(static_cast<unsigned char>(c));
        if (!blank || (!text.empty() && text.back() != ' '))
            text += blank ? ' ' : c;
    }
    const std::string twice = kPlaceholder + " " + kPlaceholder;
    for (auto at = text.find(twice); at != std::string::npos; at = text.find(twice))
        text.replace(at, twice.size(), kPlaceholder);
    while (!text.empty() && text.back() == ' ')
        text.pop_back();
    return text;
}

SourceTexts CollectSourceTexts(const std::string& sourceDir)
{
    std::vector<std::pair<bool, std::vector<Token>>> files; // core?, tokens
    Constants constants;
    for (const char* folder : kProductFolders) {
        for (const auto& entry : fs::recursive_directory_iterator(fs::path(sourceDir) / folder)) {
            const std::string ext = entry.path().extension().string();
            if (ext != ".cpp" && ext != ".h")
                continue;
            files.emplace_back(kCoreFolders.count(folder) > 0,
                               Unmarked(Tokenize(ReadText(entry.path()))));
            CollectConstants(files.back().second, constants);
        }
    }
    SourceTexts texts;
    for (const auto& [core, tokens] : files)
        CollectTexts(tokens, constants, core, texts);
    return texts;
}

} // namespace orvane::messages
