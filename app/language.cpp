#include "app/language.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>
#include <memory>

#include "app/settings.h"

namespace cellwatch {
namespace {

struct Installed {
    Language language = Language::English;
    std::unique_ptr<QTranslator> program;
    std::unique_ptr<QTranslator> qt;
};

Installed& installed() {
    static Installed state;
    return state;
}

// The file names of a language's translations: the program's and Qt's.
QString programFile(Language language) {
    return language == Language::Chinese ? QStringLiteral(":/translations/cellwatch_zh_CN.qm")
                                         : QStringLiteral(":/translations/cellwatch_de.qm");
}

QString qtFile(Language language) {
    return language == Language::Chinese ? QStringLiteral("qtbase_zh_CN")
                                         : QStringLiteral("qtbase_de");
}

void remove(std::unique_ptr<QTranslator>& translator) {
    if (translator) {
        QCoreApplication::removeTranslator(translator.get());
        translator.reset();
    }
}

}  // namespace

Language languageOf(const QString& code) {
    if (isChinese(code)) {
        return Language::Chinese;
    }
    return code == kLanguageGerman ? Language::German : Language::English;
}

QString languageCode(Language language) {
    switch (language) {
        case Language::Chinese:
            return kLanguageChinese;
        case Language::German:
            return kLanguageGerman;
        case Language::English:
            break;
    }
    return kLanguageEnglish;
}

bool installLanguage(Language language) {
    Installed& state = installed();
    remove(state.program);
    remove(state.qt);
    state.language = language;
    if (language == Language::English) {
        // No translator: the texts are the code's own. Widgets still hear of
        // the change from the removal above, or from this event.
        QEvent change(QEvent::LanguageChange);
        if (QCoreApplication::instance() != nullptr) {
            QCoreApplication::sendEvent(QCoreApplication::instance(), &change);
        }
        return true;
    }
    auto qt = std::make_unique<QTranslator>();
    if (qt->load(qtFile(language), QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        QCoreApplication::installTranslator(qt.get());
        state.qt = std::move(qt);
    }
    auto program = std::make_unique<QTranslator>();
    if (!program->load(programFile(language))) {
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
