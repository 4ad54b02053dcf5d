// A window's line shared beyond it: published on a broker as
// `cellwatch-log --publish` publishes it (View > Publish on the network…),
// and captured to a file (File > Capture the line…).
//
// Publishing. The window's session publishes through one publisher while it
// is on: the start, every receive event, row and event, as the log does; a
// replay is not published. Turned on during a recording, the publisher's
// start is the moment it was turned on, with the recording's own time base
// as its resume, so that watchers go on with the window's elapsed times. The
// broker's notices go to the status band. Turning it off publishes
// "offline" and disconnects cleanly. The choice is kept in the settings and
// applied when the next window starts (not in a window that watches a
// charger on a broker, which never publishes); a typed password is not
// kept, so a choice that needs one waits for the dialog.
//
// Capturing. Every byte received goes to the capture from the start of the
// next recording, where its header is written, or, during a recording, from
// now on: the header then holds the moment the capture began, so that its
// replay is a recording beginning then. After a lost link the capture goes
// on with the link that comes back. A Disconnect ends the capture; a write
// that fails stops it, and the status band says so.
#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

#include "app/publish_dialog.h"
#include "serial/capture.h"
#include "session/live_session.h"

class QAction;
class QDialog;
class QMenu;
class QWidget;

namespace cellwatch {

class RowStore;
class Settings;
namespace net {
class Publisher;
}

class LineSharing final : public QObject {
    Q_OBJECT
public:
    struct Parts {
        Settings& settings;
        session::LiveSession& session;
        const RowStore& rows;  // the session's table
        QWidget* window;
        std::function<void(const QString&)> postStatus;
        // The window's hooks: a failure's message box, the file dialogs and
        // a modal dialog.
        std::function<void(QWidget*, const QString&)> showFailure;
        std::function<QString(QWidget*, const QString&, const QString&, const QStringList&)>
            askSaveFile;
        PublishDialog::AskOpenFile askOpenFile;
        std::function<void(QDialog&)> showDialog;
        // Whether the window watches a charger on a broker.
        std::function<bool()> watching = [] { return false; };
    };

    LineSharing(Parts parts, QObject* parent = nullptr);
    ~LineSharing() override;

    // Carries out File > Capture the line… and View > Publish on the
    // network… (the tool bar control's actions; either may be nullptr).
    void useCommands(QAction* capture, QAction* publish);
    QAction* captureAction() const { return captureAction_; }
    QAction* publishAction() const { return publishAction_; }

    // --- publishing ---
    // The dialog; what is accepted is applied.
    void choosePublishing();
    // Publishes as `choice` says (with `password` unless it names a password
    // file) and keeps it in the settings, or stops publishing when it is
    // off. False, with the reason in a message box, when it cannot be set
    // up: nothing changes then.
    bool applyPublishing(const PublishChoice& choice, const QString& password = {});
    net::Publisher* publisher() const { return publisher_.get(); }

    // --- capturing ---
    // Asks for the file and captures to it, or ends the capture going on.
    void toggleCapture();
    // Captures to `file` (replaced); false, with the reason in a message
    // box, when it cannot be written.
    bool captureTo(const QString& file);
    void endCapture();
    bool capturing() const { return capture_ != nullptr; }
    const QString& capturePath() const { return capturePath_; }

private:
    void applyStored();
    void stopPublishing();
    // The session publishes through the publisher unless it replays.
    void attachPublisher();
    void onStateChanged(session::LinkState state);
    void onRecordingBegun();
    // Writes the capture's header; false (and the capture ended) when it fails.
    bool writeCaptureStart(const CaptureStart& start);
    CaptureStart now() const;
    void closeCapture(const QString& message);
    void caption();

    Parts parts_;
    QPointer<session::LiveSession> session_;
    std::unique_ptr<net::Publisher> publisher_;
    std::unique_ptr<CaptureWriter> capture_;
    QString capturePath_;
    // Waits for the lost link to come back (or a new one).
    bool capturePending_ = false;
    QAction* captureAction_ = nullptr;
    QAction* publishAction_ = nullptr;
};

}  // namespace cellwatch
