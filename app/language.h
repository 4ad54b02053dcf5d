// The interface language and Qt's translations of the program's texts.
//
// The texts in the code are English; the other languages come from the .ts
// files under resources/translations, compiled into the program. Installing a
// language sends every widget a QEvent::LanguageChange, on which it writes its
// texts again.
//
// The languages are the lines of one table (language.cpp): a new language is
// its cellwatch_<locale>.ts file and its line there; the Language menu, the
// stored code and the installation follow from the table.
#pragma once

#include <QString>
#include <span>
#include <string_view>

namespace cellwatch {

// A language of the interface, named by its stored code ("ENG", "CHT",
// "DEU", ...). Made by languageOf() from a code, or one of the constants of
// the languages the code itself names.
class Language {
public:
    static const Language English;
    static const Language Chinese;
    static const Language German;

    constexpr Language() = default;  // English
    constexpr std::string_view code() const { return code_; }
    friend constexpr bool operator==(Language a, Language b) { return a.code_ == b.code_; }

private:
    constexpr explicit Language(std::string_view code) : code_(code) {}
    friend struct LanguageEntry;

    std::string_view code_ = "ENG";
};
inline constexpr Language Language::English{"ENG"};
inline constexpr Language Language::Chinese{"CHT"};
inline constexpr Language Language::German{"DEU"};

// The stored code of each language: a code of the table is its language;
// "ENG" and every other value English.
inline const QString kLanguageGerman = QStringLiteral("DEU");
Language languageOf(const QString& code);
QString languageCode(Language language);

// One language of the interface: its stored code (also its tool's name in the
// Language menu), its translations (the program's .qm file under
// :/translations and Qt's own, without ".qm"; none for English, the code's
// own) and its caption in the Language menu: its own name in its own
// language, the same in every language, so never translated.
struct LanguageEntry {
    const char* code;
    const char* translations;
    const char* qtTranslations;
    const char* caption;  // UTF-8
    constexpr Language language() const { return Language(code); }
};
// Every language, English first, in the order of the Language menu.
std::span<const LanguageEntry> languages();
// The caption of the language of `code` in the Language menu; "" for a code
// of no language.
QString languageCaption(const QString& code);

// Installs the translations of `language` (and Qt's own, for its standard
// dialogs, where the system has them) in place of the ones installed before.
// Returns false when the program's translations for it are missing.
bool installLanguage(Language language);
// The language installed last (English before any).
Language installedLanguage();

}  // namespace cellwatch
