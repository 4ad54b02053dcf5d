#include "app/language.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>
#include <memory>

namespace cellwatch {
namespace {

// Every language of the interface, in the order of the Language menu. A new
// one is a cellwatch_<locale>.ts file under resources/translations and its
// line here: its stored code, its translations and its own name.
constexpr LanguageEntry kLanguages[] = {
    {"ENG", nullptr, nullptr, "English"},
    {"CHT", "cellwatch_zh_CN", "qtbase_zh_CN", "中文"},
    {"DEU", "cellwatch_de", "qtbase_de", "Deutsch"},
};

struct Installed {
    Language language;
    std::unique_ptr<QTranslator> program;
    std::unique_ptr<QTranslator> qt;
};

Installed& installed() {
    static Installed state;
    return state;
}

const LanguageEntry& entryOf(Language language) {
    for (const LanguageEntry& entry : languages()) {
        if (entry.language() == language) {
            return entry;
        }
    }
    return languages().front();
}

void remove(std::unique_ptr<QTranslator>& translator) {
    if (translator) {
        QCoreApplication::removeTranslator(translator.get());
        translator.reset();
    }
}

}  // namespace

std::span<const LanguageEntry> languages() {
    return kLanguages;
}

Language languageOf(const QString& code) {
    for (const LanguageEntry& entry : languages()) {
        if (code == QLatin1String(entry.code)) {
            return entry.language();
        }
    }
    return Language::English;
}

QString languageCaption(const QString& code) {
    for (const LanguageEntry& entry : languages()) {
        if (code == QLatin1String(entry.code)) {
            return QString::fromUtf8(entry.caption);
        }
    }
    return {};
}

QString languageCode(Language language) {
    return QString::fromLatin1(entryOf(language).code);
}

bool installLanguage(Language language) {
    Installed& state = installed();
    remove(state.program);
    remove(state.qt);
    state.language = language;
    const LanguageEntry& entry = entryOf(language);
    if (entry.translations == nullptr) {
        // No translator: the texts are the code's own. Widgets still hear of
        // the change from the removal above, or from this event.
        QEvent change(QEvent::LanguageChange);
        if (QCoreApplication::instance() != nullptr) {
            QCoreApplication::sendEvent(QCoreApplication::instance(), &change);
        }
        return true;
    }
    auto qt = std::make_unique<QTranslator>();
    if (qt->load(QString::fromLatin1(entry.qtTranslations),
                 QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        QCoreApplication::installTranslator(qt.get());
        state.qt = std::move(qt);
    }
    auto program = std::make_unique<QTranslator>();
    if (!program->load(
            QStringLiteral(":/translations/%1.qm").arg(QString::fromLatin1(entry.translations)))) {
        return false;
    }
    QCoreApplication::installTranslator(program.get());
    state.program = std::move(program);
    return true;
}

Language installedLanguage() {
    return installed().language;
}

}  // namespace cellwatch
