// A language installed for the span of a test, English again afterwards;
// the widgets have heard of both changes when the constructor and the
// destructor return.
#pragma once

#include <QCoreApplication>

#include "app/language.h"

namespace cellwatch::test {

class InstalledLanguage {
public:
    explicit InstalledLanguage(Language language) { install(language); }
    ~InstalledLanguage() { install(Language::English); }
    InstalledLanguage(const InstalledLanguage&) = delete;
    InstalledLanguage& operator=(const InstalledLanguage&) = delete;

    static void install(Language language) {
        installLanguage(language);
        QCoreApplication::processEvents();  // the change is posted to the widgets
    }
};

}  // namespace cellwatch::test
