// The operator's texts are written in Chinese in the sources and are the message ids of the
// program's gettext catalogue ("orvane"). Tr returns the written text unchanged until English is
// chosen, so the default output stays byte for byte what is written. Data never goes through Tr:
// settings keys and stored option texts, file contents, the Writer's bytes, model names, JSON keys.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace orvane {

enum class Language { Written, English };

// A language code as LANGUAGE, LANG, --lang or [UI] LANG give it: "en", "en_GB.UTF-8" ... are
// English; "zh", "zh_CN", "C", "POSIX" the written texts; anything else (or "") none of ours.
std::optional<Language> ParseLanguage(std::string_view code);

// The language the environment asks for: the first of LANGUAGE's list that is ours, else
// LC_ALL, LC_MESSAGES or LANG (the first set); written texts when none is ours.
Language EnvironmentLanguage();

// Switches the texts to language, English from <catalogueDir>/en/LC_MESSAGES/orvane.mo. Returns
// false (texts stay written) when English has no catalogue there. Call once at start-up, before
// any window or thread exists.
bool UseLanguage(Language language, const std::string& catalogueDir);

Language CurrentLanguage();

// The text in the running language; it lives as long as the program, like the written one.
const char* Tr(const char* written);

// Marks a text kept in a table for translation where it is shown (with Tr of the table's text).
constexpr const char* TrNoop(const char* written)
{
    return written;
}

} // namespace orvane
