// The interface language and Qt's translations of the program's texts.
//
// The texts in the code are English; Chinese and German come from the .ts
// files under resources/translations, compiled into the program. Installing a
// language sends every widget a QEvent::LanguageChange, on which it writes its
// texts again.
#pragma once

#include <QString>

namespace cellwatch {

enum class Language { English, Chinese, German };

// The stored code of each language: "CHT" Chinese, "DEU" German; "ENG" and
// every other value English.
inline const QString kLanguageGerman = QStringLiteral("DEU");
Language languageOf(const QString& code);
QString languageCode(Language language);

// Installs the translations of `language` (and Qt's own, for its standard
// dialogs, where the system has them) in place of the ones installed before.
// Returns false when the program's translations for it are missing.
bool installLanguage(Language language);
// The language installed last (English before any).
Language installedLanguage();

}  // namespace cellwatch
