// The window's live page on the local network: View > "Share on the local
// network…" opens the dialog that turns it on (off by default) and says where
// it is served; the choice is kept in the settings and served again at the
// next start. The page is fed from the window's live session, as
// cellwatch-log --serve feeds it from its own.
#pragma once

#include <QObject>
#include <functional>
#include <memory>

#include "app/share_dialog.h"
#include "app/window_hooks.h"

class QLabel;
class QMenu;

namespace cellwatch {

class Settings;

namespace net {
class WebServer;
}
namespace session {
class LiveSession;
class MetricsFeed;
class PageFeed;
}  // namespace session

// The settings that bind a resource (the served page, publishing under a
// name) belong to the first main window only: it holds a lock file in the
// settings folder (cellwatch-window.lock) while it is open. A second main
// window, in this program or another, leaves them off and says so once in
// its status band. A window watching a charger on a broker never asks.
// Settings not kept in a file (tests' own) bind nothing to a folder: every
// window may take them.
class SharingClaim final : public QObject {
    Q_OBJECT
public:
    // Whether `window` may take the binding settings kept in `settings`;
    // the first ask of a window tries the lock, the answer then stays.
    // When it may not and `anythingOn`, `tell` hears (once per window) that
    // they stay off, in the window's language.
    static bool mayBind(Settings& settings, QWidget& window, bool anythingOn,
                        const std::function<void(const QString&)>& tell);
    // The lock file's name in the settings folder.
    static QString lockName() { return QStringLiteral("cellwatch-window.lock"); }

private:
    explicit SharingClaim(QWidget& window);
    ~SharingClaim() override;
    struct Lock;
    std::unique_ptr<Lock> lock_;
    bool held_ = false;
    bool told_ = false;
};

class PageSharing final : public QObject {
    Q_OBJECT
public:
    struct Parts {
        Settings& settings;
        session::LiveSession& session;
        QWidget& owner;
        const WindowHooks& hooks;
        std::function<void(const QString&)> tell;
        // Whether the window watches a charger on a broker: only the main
        // window serves its choice again at start (a watcher window's page
        // is opened from its own dialog).
        std::function<bool()> watching;
    };
    explicit PageSharing(Parts parts, QObject* parent = nullptr);
    ~PageSharing() override;

    // Carries out the command (the tool bar control's action).
    void useCommand(QAction* command);
    // Puts a mark in the status band `band` (a row of widgets) that shows,
    // while the page is served, to whom: this computer, the local network
    // or every interface.
    void addMark(QWidget* band);
    QString markText() const;
    // Opens the dialog (the command).
    void showDialog();
    // Shows the mark again (after the server changed).
    void refreshMark();

    ShareChoice stored() const;
    net::WebServer& server() const { return *server_; }

protected:
    // The owner's language changes retitle the command and the mark.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void store(const ShareChoice& choice);

    Parts parts_;
    std::unique_ptr<session::MetricsFeed> metrics_;  // at /TOKEN/metrics
    std::unique_ptr<net::WebServer> server_;
    std::unique_ptr<session::PageFeed> feed_;

    QAction* command_ = nullptr;
    QLabel* mark_ = nullptr;
};

}  // namespace cellwatch
