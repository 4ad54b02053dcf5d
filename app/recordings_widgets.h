// Parts of the Recordings dialog that need none of its state: its message
// boxes, its first size and the start column kept readable when the list
// is narrow.
#pragma once

#include <QMessageBox>
#include <QSize>
#include <QString>

class QTableWidget;
class QWidget;

namespace cellwatch {

// A message box whose buttons speak the dialog's language: Yes and No for a
// question, OK alone otherwise. Returns true for Yes.
bool askRecordingsBox(QWidget* parent, QMessageBox::Icon icon, const QString& text);

// The start's date and time are read whole ("2026-12-07 1…" told nothing):
// the list's other columns give up what it lacks, the widest first.
void keepStartedColumnWhole(QTableWidget& list);

// The dialog's first size: wide enough for every column of `list` at its
// contents' width (with the layout's side margins), never past the screen.
QSize recordingsDialogSize(const QTableWidget& list, int sideMargins);

}  // namespace cellwatch
