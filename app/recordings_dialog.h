// The recordings dialog: the journals in the recordings folder, newest
// first, with their start time, duration, rows, battery type, kind (charge,
// discharge or mixed), capacity, what a charge and a discharge in one came
// to, energy, largest cell spread, pack, cells, alarms and size, and the
// folder's size; every column sorts, and every column shows at first. A
// filter shows one pack's recordings only, with the pack's history as a
// chart under the list and its health under that (read in the background,
// "Reading…" meanwhile). Open
// opens the chosen one; Delete removes files, each journal with its pack
// file and the watchers' copies of its charge (the only way journals are
// ever pruned); a watcher's copy of a charge whose own journal is listed
// takes no row (ChargeRows); Show folder opens the
// folder in the system's file manager.
//
// The journals are read in the background (see RecordingScan): the newest
// few before the dialog shows, the others while it is shown, their rows
// coming in batches a few times a second, with "Reading 4,000 of 20,000
// recordings…" and a bar under the list meanwhile. The list scrolls, sorts,
// filters and opens while it fills; closing the dialog stops the reading.
#pragma once

#include <QDialog>
#include <QString>
#include <QTimer>
#include <functional>
#include <memory>
#include <vector>

#include "app/pack_health_view.h"
#include "app/recordings_rows.h"
#include "packs/pack_history.h"
#include "packs/recording_scan.h"
#include "readout/journal.h"

class QAction;
class QComboBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QTableWidget;

namespace cellwatch {

class RecordingsDialog final : public QDialog {
    Q_OBJECT
public:
    RecordingsDialog(QString folder, QWidget* parent = nullptr);
    ~RecordingsDialog() override;

    // Reads the folder again.
    void refresh();

    // The journals read before the dialog shows: the newest, as long as
    // they come to this many bytes together, and this many at most.
    static constexpr qint64 kReadAtOnceBytes = 1 << 20;
    static constexpr int kReadAtOnceCount = 100;
    // How often rows read in the background are put into the list, and
    // how many at a time at most (more go in at the next turn of the event
    // loop).
    static constexpr int kBatchMs = 150;
    static constexpr int kBatchRows = 500;

    // Whether journals are still being read; the reading's text ("Reading
    // 4,000 of 20,000 recordings…") and bar, shown meanwhile.
    bool reading() const { return reading_; }
    QLabel& readingText() const { return *readingText_; }
    QLabel& healthText() const { return healthView_->healthText(); }
    // The reading under way, or the last one.
    RecordingScan& scan() const { return *scan_; }
    QProgressBar& readingBar() const { return *readingBar_; }

    static constexpr int kStartedColumn = kStartedCol;
    static constexpr int kPhasesColumn = kPhasesCol;
    static constexpr int kPackColumn = kPackCol;
    static constexpr int kCellsColumn = kCellsCol;
    static constexpr int kAlarmsColumn = kAlarmsCol;
    static constexpr int kColumnCount = kRecordingColumnCount;

    QTableWidget& list() const { return *list_; }
    // The file listed on a row of the list as it is sorted now.
    QString pathOfRow(int row) const;
    const std::vector<JournalInfo>& journals() const { return journals_; }
    QString folderText() const;
    // The journal chosen with Open; "" when the dialog was closed otherwise.
    QString chosenFile() const { return chosen_; }

    // The filter by pack: entry 0 "All packs", then the names found.
    QComboBox& packFilter() const { return *packFilter_; }
    // Shows the recordings of one pack only, and its history ("" all).
    void filterByPack(const QString& name);
    QString packShown() const { return packShown_; }
    // The history of the pack chosen in the filter (empty for all packs).
    const std::vector<PackHistoryEntry>& history() const { return history_; }
    PackHistoryChart& historyChart() const { return healthView_->chart(); }
    // Works out the shown pack's health in the background; its reader may
    // be replaced (before a pack is chosen).
    PackHealthJob& healthJob() const { return healthView_->job(); }

    // Chooses the journal on a row of the list (0 = first as sorted; newest
    // unless the user sorted otherwise) and closes. QDialog's open() stays.
    using QDialog::open;
    void open(int row);
    // Deletes the journals on the selected rows, after asking.
    void deleteSelected();
    // Leaves the chosen recordings out of their pack's history (their pack
    // files say so), or counts them again.
    void leaveOutSelected(bool out);
    QAction& leaveOutCommand() const { return *leaveOut_; }

    // Asked before deleting: "yes" deletes. A message box unless replaced.
    std::function<bool(QWidget* parent, const QString& question)> confirm;

    // Closing stops the reading: nothing more goes into the list.
    void done(int result) override;

signals:
    // Rows were added to the list.
    void rowsAdded();
    // Every journal is in the list.
    void readingFinished();
    // The shown pack's health line is in place.
    void healthShown();

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void retranslate();
    void addRows(std::vector<ScannedRecording> read);
    void takeRead();
    void finishReading();
    void showProgress();
    void updateButtons();
    void fillPackFilter();
    void showPack();
    void fitColumns();
    void keepStartedWhole();

    QString folder_;
    std::vector<JournalInfo> journals_;
    std::vector<PackedRecording> packed_;  // the journals with pack and summary
    QString packShown_;
    std::vector<PackHistoryEntry> history_;
    QComboBox* packFilter_ = nullptr;
    PackHealthView* healthView_ = nullptr;  // its history and health under the list
    QTableWidget* list_ = nullptr;
    QLabel* folderLabel_ = nullptr;
    QLabel* readingText_ = nullptr;
    QProgressBar* readingBar_ = nullptr;
    std::unique_ptr<RecordingScan> scan_;
    std::vector<ScannedRecording> waiting_;  // read, not yet in the list
    ChargeRows charges_;                     // one row per charge
    bool reading_ = false;
    QTimer batch_;  // puts what was read into the list
    bool selectedFirst_ = false;
    QPushButton* openButton_ = nullptr;
    QPushButton* deleteButton_ = nullptr;
    QPushButton* showButton_ = nullptr;
    QPushButton* closeButton_ = nullptr;
    QLabel* filterLabel_ = nullptr;
    QAction* leaveOut_ = nullptr;  // the list's context menu
    QString chosen_;
};

}  // namespace cellwatch
