// The interface language and Qt's translations of the program's texts.
//
// The texts in the code are English; Chinese and German come from the .ts
// files under resources/translations, compiled into the program. Installing a
// language sends every widget a QEvent::LanguageChange, on which it writes its
// texts again.
#pragma once

#include <QString>
#include <span>

namespace cellwatch {

enum class Language { English, Chinese, German };

// The stored code of each language: "CHT" Chinese, "DEU" German; "ENG" and
// every other value English.
inline const QString kLanguageGerman = QStringLiteral("DEU");
Language languageOf(const QString& code);
QString languageCode(Language language);

// One language of the interface: its stored code, its translations (the
// program's .qm file under :/translations and Qt's own, without ".qm"; none
// for English, the code's own) and its caption in the Language menu (context
// "Menu"; its own name, so that it reads the same in every language).
struct LanguageEntry {
    Language language;
    const char* code;
    const char* translations;
    const char* qtTranslations;
    const char* caption;
};
// Every language, English first.
std::span<const LanguageEntry> languages();

// Installs the translations of `language` (and Qt's own, for its standard
// dialogs, where the system has them) in place of the ones installed before.
// Returns false when the program's translations for it are missing.
bool installLanguage(Language language);
// The language installed last (English before any).
Language installedLanguage();

}  // namespace cellwatch
