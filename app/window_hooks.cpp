#include "app/window_hooks.h"

#include <QApplication>
#include <QDialog>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QRegularExpression>

#include "app/help_page.h"

namespace cellwatch {

WindowHooks withDefaultDialogs(WindowHooks hooks) {
    if (!hooks.showFailure) {
        hooks.showFailure = [](QWidget* owner, const QString& text) {
            QMessageBox::warning(owner, QApplication::applicationName(), text, QMessageBox::Ok);
        };
    }
    if (!hooks.askSaveFile) {
        hooks.askSaveFile = [](QWidget* owner, const QString& title, const QString& proposed,
                               const QStringList& filters) {
            QString selected = filters.value(0);
            QString file = QFileDialog::getSaveFileName(
                owner, title, proposed, filters.join(QStringLiteral(";;")), &selected);
            // A name typed without a suffix takes the one of the chosen type.
            if (!file.isEmpty() && QFileInfo(file).suffix().isEmpty()) {
                static const QRegularExpression firstSuffix(QStringLiteral("\\*\\.(\\w+)"));
                const auto m = firstSuffix.match(selected);
                if (m.hasMatch()) {
                    file += u'.' + m.captured(1);
                }
            }
            return file;
        };
    }
    if (!hooks.askPrint) {
        hooks.askPrint = [](QWidget* owner, QPrinter& printer) {
            QPrintDialog dialog(&printer, owner);
            return dialog.exec() == QDialog::Accepted;
        };
    }
    if (!hooks.showDialog) {
        hooks.showDialog = [](QDialog& dialog) { dialog.exec(); };
    }
    if (!hooks.askOpenFile) {
        hooks.askOpenFile = [](QWidget* owner, const QString& title, const QString& folder,
                               const QStringList& filters) {
            return QFileDialog::getOpenFileName(owner, title, folder,
                                                filters.join(QStringLiteral(";;")));
        };
    }
    if (!hooks.askOpenFiles) {
        hooks.askOpenFiles = [](QWidget* owner, const QString& title, const QString& folder,
                                const QStringList& filters) {
            return QFileDialog::getOpenFileNames(owner, title, folder,
                                                 filters.join(QStringLiteral(";;")));
        };
    }
    if (!hooks.isOnline) {
        hooks.isOnline = [] { return IsOnline(); };
    }
    return hooks;
}

}  // namespace cellwatch
