#include "foundation/Translate.h"

#include <clocale>
#include <cstdlib>
#include <libintl.h>

namespace orvane {
namespace {

constexpr const char* kDomain = "orvane";
Language current = Language::Written;

} // namespace

std::optional<Language> ParseLanguage(std::string_view code)
{
    const std::string_view name = code.substr(0, code.find_first_of("_.@-"));
    if (name == "en")
        return Language::English;
    if (name == "zh" || name == "C" || name == "POSIX")
        return Language::Written;
    return std::nullopt;
}

Language EnvironmentLanguage()
{
    const char* list = std::getenv("LANGUAGE");
    for (std::string_view rest = list ? list : ""; !rest.empty();) {
        const auto colon = rest.find(':');
        if (const auto language = ParseLanguage(rest.substr(0, colon)))
            return *language;
        rest = colon == std::string_view::npos ? "" : rest.substr(colon + 1);
    }
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(name);
        if (value && *value)
            return ParseLanguage(value).value_or(Language::Written);
    }
    return Language::Written;
}

bool UseLanguage(Language language, const std::string& catalogueDir)
{
    current = Language::Written;
    if (language == Language::Written)
        return true;
    if (!bindtextdomain(kDomain, catalogueDir.c_str()) ||
        !bind_textdomain_codeset(kDomain, "UTF-8"))
        return false;
    // glibc ignores LANGUAGE under the plain "C" locale, and the user's own English locale may
    // not be installed: C.UTF-8 is (its system messages are English too).
    if (!std::setlocale(LC_MESSAGES, "C.UTF-8"))
        return false;
    ::setenv("LANGUAGE", "en", 1);
    // The empty id gives the catalogue's header, and "" when no catalogue was found.
    if (*dgettext(kDomain, "") == '\0')
        return false;
    current = language;
    return true;
}

Language CurrentLanguage()
{
    return current;
}

const char* Tr(const char* written)
{
    return current == Language::Written ? written : dgettext(kDomain, written);
}

} // namespace orvane
