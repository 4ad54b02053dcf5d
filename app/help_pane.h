// The help pane beside the chart (`IE`): the project's online page when the
// computer is online, fetched in the background with the local page "ad.htm"
// shown until it arrives (and if it never does), else the local page alone.
#pragma once

#include <QTextBrowser>

class QNetworkAccessManager;

namespace cellwatch {

class HelpPane final : public QTextBrowser {
    Q_OBJECT
public:
    explicit HelpPane(QWidget* parent = nullptr);

    // The online page when `online`, else the local one.
    void showHelpPage(bool online);
    // The page chosen, shown again (after a change of language).
    void showAgain();
    const QString& address() const { return address_; }

private:
    void showLocal();

    QString address_;
    QNetworkAccessManager* network_ = nullptr;
};

}  // namespace cellwatch
