// The window's rows into a time-series database: View > "Send to a
// database…" opens the dialog (app/database_dialog.h) that turns it on (off
// by default); the choice is kept in the settings and taken up again at the
// next start. The rows come from the window's live session, as
// cellwatch-log --influx takes them from its own. While rows do not get
// through (the database away, refusing, or rows dropped) a mark in the
// status band says so.
#pragma once

#include <QObject>
#include <QString>
#include <functional>
#include <memory>

#include "app/database_dialog.h"
#include "app/window_hooks.h"

class QAction;
class QLabel;
class QMenu;

namespace cellwatch {

class Settings;

namespace net {
class InfluxWriter;
}
namespace session {
class InfluxFeed;
class LiveSession;
}  // namespace session

class DatabaseSending final : public QObject {
    Q_OBJECT
public:
    struct Parts {
        Settings& settings;
        session::LiveSession& session;
        QWidget& owner;
        const WindowHooks& hooks;
        std::function<void(const QString&)> tell;  // a status message
        // The charger's name in the rows (empty: its driver's id).
        std::function<QString()> charger;
    };
    explicit DatabaseSending(Parts parts, QObject* parent = nullptr);
    ~DatabaseSending() override;

    // Carries out View > Send to a database… (the tool bar control's action).
    void useCommand(QAction* command);
    void addMark(QWidget* band);
    // The mark's text: empty while rows get through (or none are sent).
    QString markText() const;
    void showDialog();
    // The menu's and the mark's texts again (the language changed).
    void retranslate();

    // The writer while rows are sent; nullptr otherwise.
    net::InfluxWriter* writer() const { return writer_.get(); }

private:
    void apply(const DatabaseChoice& choice);
    void refreshMark();

    Parts parts_;
    std::unique_ptr<net::InfluxWriter> writer_;
    std::unique_ptr<session::InfluxFeed> feed_;
    QAction* command_ = nullptr;
    QLabel* mark_ = nullptr;
};

}  // namespace cellwatch
