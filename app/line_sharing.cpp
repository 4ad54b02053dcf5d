#include "app/line_sharing.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMenu>
#include <QTimer>
#include <QWidget>
#include <exception>

#include "app/broker_notice_texts.h"
#include "app/captions.h"
#include "app/page_sharing.h"
#include "net/broker_setup.h"
#include "net/publisher.h"
#include "readout/row_store.h"
#include "readout/table_export.h"

namespace cellwatch {

using session::LinkState;

namespace {

// A warning of the publishing setup, in the language.
QString warningText(const net::SetupWarning& w) {
    using Kind = net::SetupWarning::Kind;
    switch (w.kind) {
        case Kind::PasswordFileOpen:
            //: %1 the file, %2 its mode ("0644")
            return LineSharing::tr(
                       "the password file %1 can be read by others (mode %2); it should be "
                       "private to you: chmod 600 %1")
                .arg(w.path, w.mode);
        case Kind::KeyFileOpen:
            //: %1 the file, %2 its mode ("0644")
            return LineSharing::tr(
                       "the key file %1 can be read by others (mode %2); it should be private to "
                       "you: chmod 600 %1")
                .arg(w.path, w.mode);
        case Kind::Unencrypted:
            //: %1 the user, %2 the broker ("example.org:1883")
            return LineSharing::tr(
                       "the password of %1 goes to the broker %2 unencrypted (mqtt://): anyone on "
                       "the way can read it; use mqtts:// to protect it")
                .arg(w.user, w.broker);
    }
    return {};
}

}  // namespace

LineSharing::LineSharing(Parts parts, QObject* parent)
    : QObject(parent), parts_(std::move(parts)), session_(&parts_.session) {
    connect(session_, &session::LiveSession::stateChanged, this, &LineSharing::onStateChanged);
    connect(session_, &session::LiveSession::recordingBegun, this, &LineSharing::onRecordingBegun);
    connect(session_, &session::LiveSession::captureFailed, this,
            [this](const QString& why) { closeCapture(tr("The capture stopped: %1").arg(why)); });
    // Once the window is what it is: a watch's window is told its charger
    // after it is made.
    QTimer::singleShot(0, this, &LineSharing::applyStored);
}

LineSharing::~LineSharing() {
    if (session_) {
        session_->setPublisher(nullptr);
        session_->setCapture(nullptr);
    }
    if (publisher_) {
        // The window is going: what the broker says while the publisher
        // finishes is for nobody.
        QObject::disconnect(publisher_.get(), nullptr, this, nullptr);
        publisher_->finish();
    }
    if (capture_) {
        try {
            capture_->close();
        } catch (const CaptureError&) {
            // Nobody is left to tell.
        }
    }
}

void LineSharing::useCommands(QAction* capture, QAction* publish) {
    captureAction_ = capture;
    publishAction_ = publish;
    for (QAction* action : {capture, publish}) {
        // Their state is brought up to date whenever their menu opens.
        if (auto* menu = action != nullptr ? qobject_cast<QMenu*>(action->parent()) : nullptr) {
            connect(menu, &QMenu::aboutToShow, this, &LineSharing::caption);
        }
    }
    if (capture != nullptr) {
        connect(capture, &QAction::triggered, this, &LineSharing::toggleCapture);
    }
    if (publish != nullptr) {
        connect(publish, &QAction::triggered, this, &LineSharing::choosePublishing);
    }
    caption();
}

// The commands' state: capturing, and publishing possible.
void LineSharing::caption() {
    if (captureAction_ != nullptr) {
        captureAction_->setChecked(capturing());
    }
    if (publishAction_ != nullptr) {
        publishAction_->setEnabled(!parts_.watching());
    }
}

// --- publishing ---------------------------------------------------------------------------

void LineSharing::applyStored() {
    if (parts_.watching()) {
        return;
    }
    const PublishChoice stored = readPublishChoice(parts_.settings);
    if ((parts_.window != nullptr &&
         !SharingClaim::mayBind(parts_.settings, *parts_.window, stored.on, parts_.postStatus)) ||
        !stored.on) {
        return;
    }
    if (stored.passwordFile.isEmpty()) {
        try {
            const net::BrokerAddress address = net::parseBrokerAddress(stored.address);
            if (!address.user.isEmpty()) {
                parts_.postStatus(
                    tr("Publishing on %1 needs its password: View > Publish on the network…")
                        .arg(address.text()));
                return;
            }
        } catch (const net::AddressError&) {
            // Said by applyPublishing.
        }
    }
    applyPublishing(stored);
}

void LineSharing::choosePublishing() {
    PublishChoice given = readPublishChoice(parts_.settings);
    given.on = publisher_ != nullptr || given.address.isEmpty();
    PublishDialog dialog(given, parts_.askOpenFile, parts_.window);
    parts_.showDialog(dialog);
    if (dialog.result() == QDialog::Accepted) {
        applyPublishing(dialog.choice(), dialog.password());
    }
}

bool LineSharing::applyPublishing(const PublishChoice& choice, const QString& password) {
    if (!choice.on) {
        stopPublishing();
        writePublishChoice(parts_.settings, choice);
        return true;
    }
    std::unique_ptr<net::Publisher> fresh;
    std::vector<net::SetupWarning> warnings;
    QString address;
    try {
        net::BrokerSetup setup = net::setUpBroker(
            {choice.address, password, choice.passwordFile, choice.caFile, choice.keyFile});
        warnings = setup.warned;
        address = setup.mqtt.address.text();
        fresh = net::makePublisher(std::move(setup), choice.discovery);
    } catch (const std::exception& e) {
        parts_.showFailure(parts_.window,
                           tr("Cannot publish: %1").arg(QString::fromUtf8(e.what())));
        return false;
    }
    stopPublishing();
    writePublishChoice(parts_.settings, choice);
    publisher_ = std::move(fresh);
    connect(publisher_.get(), &net::Publisher::noticed, this,
            [this](const net::BrokerNotice& n) { parts_.postStatus(brokerNoticeText(n)); });
    parts_.postStatus(tr("Publishing on %1").arg(address));
    for (const net::SetupWarning& warning : warnings) {
        parts_.postStatus(warningText(warning));
    }
    attachPublisher();
    publisher_->start();
    return true;
}

void LineSharing::stopPublishing() {
    if (!publisher_) {
        return;
    }
    if (session_ && session_->publisher() == publisher_.get()) {
        session_->setPublisher(nullptr);
    }
    const std::unique_ptr<net::Publisher> old = std::move(publisher_);
    old->finish();
    parts_.postStatus(tr("Publishing stopped (offline)"));
}

void LineSharing::attachPublisher() {
    if (!publisher_ || !session_) {
        return;
    }
    const session::SessionSource* source = session_->source();
    if (source != nullptr && source->isReplay()) {
        if (session_->publisher() == publisher_.get()) {
            session_->setPublisher(nullptr);  // cellwatch-log publishes no replay either
        }
        return;
    }
    if (session_->publisher() == publisher_.get()) {
        return;
    }
    session_->setPublisher(publisher_.get());  // midway: the session says where it stands
}

void LineSharing::onRecordingBegun() {
    if (capturePending_) {
        // A new recording after a lost link: its header, as the session
        // writes it.
        capturePending_ = false;
        const Recording& r = session_->recording();
        const QDateTime begun = r.recordingStart();
        if (writeCaptureStart(
                {begun.toMSecsSinceEpoch(), begun.offsetFromUtc(), r.connectTicks()})) {
            session_->setCapture(capture_.get());
        }
    }
}

void LineSharing::onStateChanged(LinkState state) {
    attachPublisher();
    const bool recording = state == LinkState::Connected || state == LinkState::Replaying;
    if (recording && capturePending_) {
        // The lost link came back and goes on with its recording.
        capturePending_ = false;
        if (writeCaptureStart(now())) {
            session_->setCapture(capture_.get());
        }
    }
    if (state == LinkState::Disconnected && capture_) {
        endCapture();
    }
}

// --- capturing ---------------------------------------------------------------------------

CaptureStart LineSharing::now() const {
    const QDateTime t = session_->clocks().now();
    return {t.toMSecsSinceEpoch(), t.offsetFromUtc(), session_->clocks().tickCount()};
}

void LineSharing::toggleCapture() {
    if (capture_) {
        endCapture();
        return;
    }
    const QDateTime t = session_->clocks().now();
    const QString proposed =
        QFileInfo(defaultExportPath(t)).absolutePath() + QStringLiteral("/cellwatch-") +
        t.toString(QStringLiteral("yyyyMMdd-HHmmss")) + QStringLiteral(".cwcap");
    const QString file = parts_.askSaveFile(parts_.window, tr("Capture the line"), proposed,
                                            {tr("Capture (*.cwcap)")});
    if (!file.isEmpty()) {
        captureTo(file);
    }
    caption();
}

bool LineSharing::captureTo(const QString& file) {
    std::unique_ptr<CaptureWriter> writer;
    try {
        writer = std::make_unique<CaptureWriter>(QFile::encodeName(file).toStdString());
    } catch (const CaptureError& e) {
        parts_.showFailure(parts_.window, QString::fromLocal8Bit(e.what()));
        caption();
        return false;
    }
    endCapture();
    capture_ = std::move(writer);
    capturePath_ = file;
    const QString shown = QDir::toNativeSeparators(file);
    switch (session_->state()) {
        case LinkState::Connected:
        case LinkState::Replaying:
            if (!writeCaptureStart(now())) {
                return false;
            }
            session_->setCapture(capture_.get());
            parts_.postStatus(tr("Capturing the line to %1").arg(shown));
            break;
        case LinkState::Disconnected:
        case LinkState::Connecting:
            session_->setCapture(capture_.get());  // the header at the recording's start
            parts_.postStatus(tr("Capturing the line to %1 from the next recording on").arg(shown));
            break;
        case LinkState::Lost:
        case LinkState::WaitingForAdapter:
            capturePending_ = true;
            parts_.postStatus(tr("Capturing the line to %1 from the next recording on").arg(shown));
            break;
    }
    caption();
    return true;
}

bool LineSharing::writeCaptureStart(const CaptureStart& start) {
    try {
        capture_->writeStart(start);
        return true;
    } catch (const CaptureError& e) {
        closeCapture(tr("The capture stopped: %1").arg(QString::fromLocal8Bit(e.what())));
        return false;
    }
}

void LineSharing::endCapture() {
    closeCapture(
        tr("The capture ended; it is kept in %1").arg(QDir::toNativeSeparators(capturePath_)));
}

void LineSharing::closeCapture(const QString& message) {
    if (!capture_) {
        return;
    }
    if (session_ && session_->capture() == capture_.get()) {
        session_->setCapture(nullptr);
    }
    capturePending_ = false;
    QString failed;
    try {
        capture_->close();
    } catch (const CaptureError& e) {
        failed = QString::fromLocal8Bit(e.what());
    }
    capture_.reset();
    parts_.postStatus(failed.isEmpty() ? message : tr("The capture stopped: %1").arg(failed));
    caption();
}

}  // namespace cellwatch
