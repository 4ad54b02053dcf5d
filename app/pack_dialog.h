// Asks for a pack name and a note: the main window's View > Pack… (for the
// present and following recordings) and a viewer's Pack… (for its
// recording, afterwards). The name box offers the names already used.
#pragma once

#include <QDialog>
#include <QStringList>

#include "readout/pack_file.h"

class QComboBox;
class QLabel;
class QPlainTextEdit;

namespace cellwatch {

class PackDialog final : public QDialog {
    Q_OBJECT
public:
    // `forRecording`: the viewer's wording (this recording) rather than the
    // main window's (this and the following recordings).
    PackDialog(const PackInfo& given, const QStringList& knownNames, bool forRecording,
               bool chinese, QWidget* parent = nullptr);

    // What the dialog holds now, the name as it is kept.
    PackInfo info() const;
    void setInfo(const PackInfo& info);

    QComboBox& nameBox() const { return *name_; }
    QPlainTextEdit& noteBox() const { return *note_; }

private:
    QComboBox* name_ = nullptr;
    QPlainTextEdit* note_ = nullptr;
};

}  // namespace cellwatch
