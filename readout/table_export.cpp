#include "readout/table_export.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include <QDir>
#include <QSaveFile>
#include <QStandardPaths>
#include <stdexcept>

#include "readout/row_store.h"

namespace cellwatch {
namespace {

constexpr int kFirstColumn = 1;
constexpr int kLastColumn = 22;
constexpr std::size_t kExportProgressEvery = 2000;  // rows between progress reports

void appendCsvField(QString& line, const QString& text, bool first) {
    if (!first) {
        line += u',';
    }
    line += csvField(text);
}

}  // namespace

QString csvField(const QString& given) {
    // A text a spreadsheet would take as a formula (=, +, -, @, a tab or a
    // carriage return first) is written as text: a quote mark before it.
    // Numbers (-1.50) stay numbers.
    QString text = given;
    if (!text.isEmpty() && QStringLiteral("=+-@\t\r").contains(text.front())) {
        bool number = false;
        text.toDouble(&number);
        if (!number) {
            text.prepend(u'\'');
        }
    }
    const bool quote =
        text.contains(u',') || text.contains(u'"') || text.contains(u'\n') || text.contains(u'\r');
    if (!quote) {
        return text;
    }
    QString doubled = text;
    doubled.replace(u'"', QStringLiteral("\"\""));
    return u'"' + doubled + u'"';
}

QString csvLine(const QStringList& texts) {
    QString line;
    for (qsizetype i = 0; i < texts.size(); ++i) {
        appendCsvField(line, texts[i], i == 0);
    }
    return line + QStringLiteral("\r\n");
}

QString tableCsvLine(const RowStore& table, int row) {
    QString line;
    for (int column = kFirstColumn; column <= kLastColumn; ++column) {
        appendCsvField(line, table.gridText(row, column), column == kFirstColumn);
    }
    return line + QStringLiteral("\r\n");
}

QString defaultExportPath(const QDateTime& when) {
    QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (folder.isEmpty() || !QDir(folder).exists()) {
        folder = QDir::homePath();
    }
    return folder + QStringLiteral("/cellwatch-") +
           when.toString(QStringLiteral("yyyyMMdd-HHmmss")) + QStringLiteral(".csv");
}

namespace {

// Why a write or flush failed: the system's own reason for that call
// ("No space left on device"), which QSaveFile's error text does not always
// carry (it may still hold an earlier, unrelated one).
QString writeFailure(const QSaveFile& file, int error) {
    return error != 0 ? QString::fromLocal8Bit(std::strerror(error)) : file.errorString();
}

}  // namespace

bool exportTableCsv(const RowStore& table, const QString& fileName,
                    const std::function<bool(std::size_t, std::size_t)>& progress) {
    return exportTableRowsCsv(table, fileName, 1, table.gridRowCount() - 1, progress);
}

bool exportTableRowsCsv(const RowStore& table, const QString& fileName, int firstRow, int lastRow,
                        const std::function<bool(std::size_t, std::size_t)>& progress) {
    QSaveFile file(fileName);
    // Unbuffered: the table is written in large chunks anyway, and a full
    // disk then shows at the write that fails.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        throw std::runtime_error(
            QStringLiteral("Cannot write %1: %2").arg(fileName, file.errorString()).toStdString());
    }
    firstRow = std::max(firstRow, 1);
    lastRow = std::min(lastRow, table.gridRowCount() - 1);
    // The header row and the data rows asked for.
    const int rows = table.gridRowCount() > 0 ? 1 + std::max(0, lastRow - firstRow + 1) : 0;
    const std::size_t total = static_cast<std::size_t>(rows > 0 ? rows - 1 : 0);
    QByteArray chunk("\xEF\xBB\xBF");  // UTF-8 byte-order mark
    for (int line = 0; line < rows; ++line) {
        const int row = line == 0 ? 0 : firstRow + line - 1;
        if (row >= table.gridRowCount()) {
            // A new recording began while the export was going on.
            file.cancelWriting();
            throw std::runtime_error(
                "The table was cleared during the export; no file was written.");
        }
        chunk += tableCsvLine(table, row).toUtf8();
        const auto done = static_cast<std::size_t>(line);
        if (chunk.size() > (1 << 16) || line + 1 == rows) {
            errno = 0;
            if (file.write(chunk) != chunk.size()) {
                const QString why = writeFailure(file, errno);
                file.cancelWriting();
                throw std::runtime_error(
                    QStringLiteral("Cannot write %1: %2").arg(fileName, why).toStdString());
            }
            chunk.clear();
        }
        if (progress && done % kExportProgressEvery == 0 && !progress(done, total)) {
            file.cancelWriting();
            return false;
        }
    }
    errno = 0;
    if (rows == 0 && file.write(chunk) != chunk.size()) {
        const QString why = writeFailure(file, errno);
        file.cancelWriting();
        throw std::runtime_error(
            QStringLiteral("Cannot write %1: %2").arg(fileName, why).toStdString());
    }
    if (progress) {
        progress(total, total);
    }
    // The last of the data reaches the disk only now; a full disk shows here,
    // and then the older file must stay as it was.
    errno = 0;
    if (!file.flush()) {
        const QString reason = writeFailure(file, errno);
        file.cancelWriting();
        throw std::runtime_error(
            QStringLiteral("Cannot write %1: %2").arg(fileName, reason).toStdString());
    }
    if (!file.commit()) {
        throw std::runtime_error(
            QStringLiteral("Cannot write %1: %2").arg(fileName, file.errorString()).toStdString());
    }
    return true;
}

}  // namespace cellwatch
