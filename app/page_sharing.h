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

class QMenu;

namespace cellwatch {

class SettingsStore;

namespace net {
class WebServer;
}
namespace session {
class LiveSession;
class PageFeed;
}  // namespace session

class PageSharing final : public QObject {
    Q_OBJECT
public:
    struct Parts {
        SettingsStore& settings;
        session::LiveSession& session;
        QWidget& owner;
        const WindowHooks& hooks;
        std::function<void(const QString&)> tell;
        std::function<bool()> chinese;
        // Whether the window watches a charger on a broker: only the main
        // window serves its choice again at start (a watcher window's page
        // is opened from its own dialog).
        std::function<bool()> watching;
    };
    explicit PageSharing(Parts parts, QObject* parent = nullptr);
    ~PageSharing() override;

    // Adds the command to the View menu.
    void addMenu(QMenu* view);
    // Opens the dialog (the command).
    void showDialog();
    void setLanguage(bool chinese);

    ShareChoice stored() const;
    net::WebServer& server() const { return *server_; }

private:
    void store(const ShareChoice& choice);

    Parts parts_;
    std::unique_ptr<net::WebServer> server_;
    std::unique_ptr<session::PageFeed> feed_;
    QAction* command_ = nullptr;
};

}  // namespace cellwatch
