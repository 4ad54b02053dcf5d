// The about box: the program's picture and a text with its name, version,
// web address and purpose in the interface language. It closes on a click on
// the box, the picture or the text, and on any key.
#pragma once

#include <QDialog>
#include <QStringList>

#include "protocol/version.h"

class QLabel;
class QPlainTextEdit;

namespace cellwatch {

// The version as written in titles: major.minor.revision.
inline constexpr const char* kAboutVersion = kProgramVersion;
// The project's own site.
inline constexpr const char* kWebAddress = "https://cellwatch.example.org";
inline constexpr const char* kCopyrightLine =
    QT_TRANSLATE_NOOP("AboutBox", "Copyright (C) 2026 the Cellwatch developers");

// The lines of the about text for a language code: "CHT" its own Chinese
// lines; anything else the English lines, as the language installed
// translates them (English itself when none is).
QStringList aboutLines(const QString& languageCode);

class AboutBox final : public QDialog {
    Q_OBJECT
public:
    AboutBox(const QString& languageCode, QWidget* parent = nullptr);
    QString text() const;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QLabel* image_;
    QPlainTextEdit* text_;
};

}  // namespace cellwatch
