// Asks what a pack is: its name, a note, its chemistry, cell count, nominal
// capacity and its own alarm limits, and whether a recording is left out of
// the pack's history. The main window's View > Pack… (for the present and
// following recordings; "left out" for the present one only) and a viewer's
// Pack… (for its recording, afterwards). The name box offers the names
// already used; choosing or typing a known one fills in what that pack is.
#pragma once

#include <QDialog>
#include <QStringList>
#include <functional>
#include <optional>

#include "readout/pack_file.h"

class QCheckBox;
class QComboBox;
class QDialogButtonBox;
class QFormLayout;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QSpinBox;

namespace cellwatch {

class PackDialog final : public QDialog {
    Q_OBJECT
public:
    // What is known of a pack by its name (its chemistry, cells, capacity
    // and limits, as its recordings' pack files tell); none for a name no
    // recording has.
    using PackLookup = std::function<std::optional<PackInfo>(const QString& name)>;

    // `forRecording`: the viewer's wording (this recording) rather than the
    // main window's (this and the following recordings).
    PackDialog(const PackInfo& given, const QStringList& knownNames, bool forRecording,
               QWidget* parent = nullptr, PackLookup lookup = {});

    // What the dialog holds now, the name as it is kept; a limit that does
    // not read as a number in range is 0 (the chemistry's).
    PackInfo info() const;
    void setInfo(const PackInfo& info);
    // Why what the dialog holds cannot be kept ("Cell low must be below cell
    // high (4.20 V)"); "" when it can. OK refuses it, saying so.
    QString problem() const;
    void accept() override;

    QComboBox& nameBox() const { return *name_; }
    QPlainTextEdit& noteBox() const { return *note_; }
    QComboBox& chemistryBox() const { return *chemistry_; }
    QSpinBox& cellsBox() const { return *cells_; }
    QSpinBox& capacityBox() const { return *capacity_; }
    QLineEdit& cellHighBox() const { return *cellHigh_; }
    QLineEdit& cellLowBox() const { return *cellLow_; }
    QCheckBox& leftOutBox() const { return *leftOut_; }
    // The message of a refused OK; hidden until then.
    QLabel& problemText() const { return *problem_; }

protected:
    void changeEvent(QEvent* event) override;

private:
    void retranslate();
    void showChemistryLimits();
    void fillFromKnown(const QString& name);
    PackChemistry chemistry() const;

    bool forRecording_;
    PackLookup lookup_;
    QLabel* explain_ = nullptr;
    QFormLayout* form_ = nullptr;
    QDialogButtonBox* buttons_ = nullptr;
    QComboBox* name_ = nullptr;
    QPlainTextEdit* note_ = nullptr;
    QComboBox* chemistry_ = nullptr;
    QSpinBox* cells_ = nullptr;
    QSpinBox* capacity_ = nullptr;
    QLineEdit* cellHigh_ = nullptr;
    QLineEdit* cellLow_ = nullptr;
    QCheckBox* leftOut_ = nullptr;
    QLabel* problem_ = nullptr;
};

}  // namespace cellwatch
