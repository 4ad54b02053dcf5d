// View > Share on the local network…: the dialog over a real page server.
#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QMenu>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QPushButton>
#include <QSpinBox>
#include <QTcpServer>
#include <QTemporaryDir>
#include <memory>
#include <utility>

#include "app/line_sharing.h"
#include "app/main_window.h"
#include "app/page_sharing.h"
#include "app/publish_dialog.h"
#include "app/settings.h"
#include "app/share_dialog.h"
#include "app/toolbar.h"
#include "net/web_server.h"
#include "test_broker.h"
#include "tests/support/installed_language.h"
#include "tests/support/settle.h"

namespace cellwatch {
namespace {

// Whether an image of a QR code has dark modules, a white quiet zone and
// is square.
bool looksLikeACode(const QImage& image, int scale) {
    if (image.isNull() || image.width() != image.height()) {
        return false;
    }
    int dark = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const bool black = qGray(image.pixel(x, y)) < 128;
            const bool quiet = x < 4 * scale || y < 4 * scale || x >= image.width() - 4 * scale ||
                               y >= image.height() - 4 * scale;
            if (black && quiet) {
                return false;
            }
            dark += black ? 1 : 0;
        }
    }
    return dark > 0 && dark < image.width() * image.height();
}

TEST(QrCode, EncodesAPageAddressAndGrowsWithIt) {
    const QImage small = qrCodeImage(QStringLiteral("http://127.0.0.1:8080/abc/"), 3);
    const QImage large =
        qrCodeImage(QStringLiteral("http://192.168.100.200:65535/") + QString(120, u'x') + u'/', 3);
    EXPECT_TRUE(looksLikeACode(small, 3));
    EXPECT_TRUE(looksLikeACode(large, 3));
    EXPECT_GT(large.width(), small.width());
    // A module is `scale` pixels: the same text at twice the scale is twice the size.
    EXPECT_EQ(qrCodeImage(QStringLiteral("http://127.0.0.1:8080/abc/"), 6).width(),
              2 * small.width());
}

TEST(ShareAddress, EachScopeListensWhereItSays) {
    struct Case {
        ShareChoice::Scope scope;
        const char* named;
        QHostAddress want;
    };
    const std::vector<Case> cases = {
        {ShareChoice::Scope::ThisComputer, "", QHostAddress(QHostAddress::LocalHost)},
        {ShareChoice::Scope::AllInterfaces, "", QHostAddress(QHostAddress::Any)},
        {ShareChoice::Scope::Named, "127.0.0.2", QHostAddress(QStringLiteral("127.0.0.2"))},
        {ShareChoice::Scope::Named, " 10.0.0.7 ", QHostAddress(QStringLiteral("10.0.0.7"))},
        {ShareChoice::Scope::Named, "charger.local", QHostAddress()},
        {ShareChoice::Scope::LocalNetwork, "",
         localNetworkAddress().isNull() ? QHostAddress(QHostAddress::LocalHost)
                                        : localNetworkAddress()},
    };
    for (const Case& c : cases) {
        ShareChoice choice;
        choice.scope = c.scope;
        choice.named = QString::fromLatin1(c.named);
        EXPECT_EQ(shareListenAddress(choice), c.want) << c.named;
    }
}

// A dialog open while the language changes says everything again in the new
// one, what it shows of the address included.
TEST(ShareDialog, FollowsASwitchOfLanguageWhileOpen) {
    net::WebServer server;
    ShareDialog dialog(server, ShareChoice{});
    const int thisComputer =
        dialog.scopeBox().findData(static_cast<int>(ShareChoice::Scope::ThisComputer));
    const struct {
        Language language;
        const char* title;
        const char* notShared;
        const char* thisComputer;
    } cases[] = {
        {Language::German, "Im lokalen Netzwerk freigeben", "Nicht freigegeben.",
         "Nur dieser Computer (127.0.0.1)"},
        {Language::Chinese, "在局域网中共享", "未共享。", "仅本机 (127.0.0.1)"},
        {Language::English, "Share on the local network", "Not shared.",
         "This computer only (127.0.0.1)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(languageCode(c.language).toStdString());
        const test::InstalledLanguage installed(c.language);
        EXPECT_EQ(dialog.windowTitle(), QString::fromUtf8(c.title));
        EXPECT_EQ(dialog.addressLabel().text(), QString::fromUtf8(c.notShared));
        EXPECT_EQ(dialog.scopeBox().itemText(thisComputer), QString::fromUtf8(c.thisComputer));
    }
}

// The dialog opens on the local network's address; its code is shown where a
// phone can reach the page, and on a loopback address a line says why there
// is none.
TEST(ShareDialog, ServesWhenTurnedOnShowsTheAddressAndMakesANewOne) {
    net::WebServer server;
    ShareChoice given;
    given.port = 0;  // not a spin box value: any port the tests have
    ShareDialog dialog(server, given);
    EXPECT_FALSE(server.listening());
    EXPECT_TRUE(dialog.codeLabel().pixmap().isNull());
    EXPECT_FALSE(dialog.newAddressButton().isEnabled());
    EXPECT_EQ(dialog.choice().scope, ShareChoice::Scope::LocalNetwork);

    // The smallest port the box takes; a busy one is said, not hidden.
    dialog.portBox().setValue(47613);
    dialog.onBox().setChecked(true);
    if (!dialog.failure().isEmpty()) {
        GTEST_SKIP() << "port 47613 is busy here: " << dialog.failure().toStdString();
    }
    ASSERT_TRUE(server.listening());
    const QHostAddress network = localNetworkAddress();
    EXPECT_EQ(server.address(), shareListenAddress(given));
    const QString first = dialog.addressLabel().text();
    EXPECT_EQ(first, server.pageUrl());
    EXPECT_TRUE(first.contains(server.token()));
    EXPECT_EQ(dialog.codeLabel().pixmap().isNull(), network.isNull());
    EXPECT_EQ(dialog.noCodeLabel().isHidden(), !network.isNull());

    dialog.newAddressButton().click();
    EXPECT_NE(dialog.addressLabel().text(), first);
    EXPECT_TRUE(dialog.addressLabel().text().contains(server.token()));

    const auto choose = [&](ShareChoice::Scope scope) {
        dialog.scopeBox().setCurrentIndex(dialog.scopeBox().findData(static_cast<int>(scope)));
        EXPECT_EQ(dialog.choice().scope, scope);
    };
    const struct {
        ShareChoice::Scope scope;
        QHostAddress listens;
        bool code;
    } cases[] = {
        {ShareChoice::Scope::ThisComputer, QHostAddress(QHostAddress::LocalHost), false},
        {ShareChoice::Scope::AllInterfaces, QHostAddress(QHostAddress::Any), !network.isNull()},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.scope));
        choose(c.scope);
        EXPECT_EQ(server.address(), c.listens);
        EXPECT_EQ(dialog.codeLabel().pixmap().isNull(), !c.code);
        EXPECT_EQ(dialog.noCodeLabel().isHidden(), c.code);
        if (!c.code) {
            EXPECT_TRUE(dialog.noCodeLabel().text().contains(QStringLiteral("127.0.0.1")))
                << dialog.noCodeLabel().text().toStdString();
        }
    }

    if (const QByteArray shots = qgetenv("CELLWATCH_SHOTS"); !shots.isEmpty()) {
        dialog.show();
        dialog.grab().save(QString::fromLocal8Bit(shots) + QStringLiteral("/share-dialog.png"));
    }
    dialog.onBox().setChecked(false);
    EXPECT_FALSE(server.listening());
    EXPECT_FALSE(dialog.newAddressButton().isEnabled());
    EXPECT_TRUE(dialog.noCodeLabel().isHidden());
}

// View > "Share on the local network…" in the real window: the dialog turns
// the page on, it is served from the window's session, the choice is kept
// and a window started later serves it again.
TEST(ShareDialog, TheWindowServesItsPageAndServesItAgainAtTheNextStart) {
    QTemporaryDir dir;
    FileSettingsStore store{dir.filePath(QStringLiteral("settings.ini"))};
    Settings settings(store);
    MainWindow::Hooks hooks;
    hooks.journalFolder = dir.filePath(QStringLiteral("journals"));
    hooks.isOnline = [] { return false; };
    QString failure;
    hooks.showDialog = [&](QDialog& shown) {
        auto* dialog = qobject_cast<ShareDialog*>(&shown);
        ASSERT_NE(dialog, nullptr);
        dialog->portBox().setValue(47614);
        dialog->onBox().setChecked(true);
        failure = dialog->failure();
    };
    QString url;
    {
        MainWindow w(settings, hooks);
        test::settle();  // the start-up's own serving (none yet) is done
        QAction* share = w.toolBar().tool(Command::Share)->action();
        ASSERT_NE(share, nullptr);
        share->trigger();
        if (!failure.isEmpty()) {
            GTEST_SKIP() << "port 47614 is busy here: " << failure.toStdString();
        }
        ASSERT_TRUE(w.pageSharing().server().listening());
        url = w.pageSharing().server().pageUrl();
        QNetworkAccessManager network;
        // The page, and the window's metrics beside it.
        for (const auto& [file, holds] : {std::pair<const char*, const char*>{"", "<html"},
                                          {"metrics", "cellwatch_link_up{charger="}}) {
            std::unique_ptr<QNetworkReply> reply(
                network.get(QNetworkRequest(QUrl(url + QLatin1String(file)))));
            ASSERT_TRUE(nettest::waitUntil([&] { return reply->isFinished(); }));
            EXPECT_EQ(reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt(), 200)
                << reply->errorString().toStdString();
            EXPECT_TRUE(reply->readAll().contains(holds)) << file;
        }
    }
    MainWindow again(settings, hooks);
    ASSERT_TRUE(nettest::waitUntil([&] { return again.pageSharing().server().listening(); }));
    EXPECT_EQ(again.pageSharing().server().port(), 47614);
    EXPECT_EQ(again.pageSharing().server().address(), shareListenAddress(ShareChoice{}));
    // Served from the settings, the status band says to whom, in the window's language.
    auto* mark = again.toolBar().statusBand()->findChild<QLabel*>(QStringLiteral("state.PageMark"));
    ASSERT_NE(mark, nullptr);
    test::settle();
    EXPECT_FALSE(mark->isHidden());
    EXPECT_EQ(mark->text(), again.pageSharing().markText());
    EXPECT_TRUE(mark->text().startsWith(QStringLiteral("网页："))) << mark->text().toStdString();
    const QHostAddress address = again.pageSharing().server().address();
    if (!address.isLoopback()) {
        EXPECT_TRUE(mark->text().contains(address.toString())) << mark->text().toStdString();
    }
    again.pageSharing().server().close();
    again.pageSharing().refreshMark();
    EXPECT_TRUE(mark->isHidden());
}

// The settings that bind a resource are the first main window's: a second
// one started while the first serves the page and publishes leaves both
// off and says so once in its status band; once the first is gone, the
// next window takes them again.
TEST(ShareDialog, ASecondWindowLeavesTheServedPageAndPublishingToTheFirst) {
    QTemporaryDir dir;
    nettest::TestBroker broker;
    FileSettingsStore store{dir.filePath(QStringLiteral("settings.ini"))};
    Settings settings(store);
    settings.setLanguageCode(kLanguageEnglish);
    QTcpServer probe;  // a port free here
    ASSERT_TRUE(probe.listen(QHostAddress::LocalHost));
    const quint16 port = probe.serverPort();
    probe.close();
    for (const auto& [key, value] :
         {std::pair{"On", QStringLiteral("1")}, {"Port", QString::number(port)}}) {
        store.write(kSettingsApplication, QStringLiteral("Share"), QLatin1String(key), value);
    }
    PublishChoice publish;
    publish.on = true;
    publish.address = broker.address(QStringLiteral("bench1"));
    writePublishChoice(settings, publish);

    MainWindow::Hooks hooks;
    hooks.journalFolder = dir.filePath(QStringLiteral("journals"));
    hooks.isOnline = [] { return false; };
    QStringList failures;
    hooks.showFailure = [&](QWidget*, const QString& text) { failures << text; };
    const auto band = [](MainWindow& w) {
        QStringList all;
        Tool* list = w.tool(QStringLiteral("state"), QStringLiteral("state_text"));
        for (int i = 0; i < list->itemCount(); ++i) {
            all << list->item(i);
        }
        return all;
    };
    const auto serves = [](MainWindow& w) {
        LineSharing* sharing = w.findChild<LineSharing*>();
        return w.pageSharing().server().listening() && sharing->publisher() != nullptr;
    };
    const QString said = QStringLiteral(
        "Another Cellwatch window serves the live page and publishes; this window leaves both "
        "off");
    auto first = std::make_unique<MainWindow>(settings, hooks);
    ASSERT_TRUE(nettest::waitUntil([&] { return serves(*first); }));
    {
        MainWindow second(settings, hooks);
        ASSERT_TRUE(nettest::waitUntil([&] { return band(second).contains(said); }));
        test::settle();  // whatever else it does at start
        EXPECT_EQ(band(second).count(said), 1);
        EXPECT_FALSE(second.pageSharing().server().listening());
        EXPECT_EQ(second.findChild<LineSharing*>()->publisher(), nullptr);
        EXPECT_FALSE(band(first.operator*()).contains(said));
    }
    first.reset();
    MainWindow third(settings, hooks);
    ASSERT_TRUE(nettest::waitUntil([&] { return serves(third); }));
    EXPECT_EQ(third.pageSharing().server().port(), port);
    EXPECT_TRUE(failures.isEmpty()) << failures.join(u'\n').toStdString();
}

}  // namespace
}  // namespace cellwatch
