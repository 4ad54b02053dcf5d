// Where the window finds its local help page: beside the program (the build
// tree), else in ../share/cellwatch (an installed program in .../bin).
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <ostream>
#include <string>

#include "app/help_page.h"

namespace {

struct Layout {
    const char* what;
    const char* name;
    bool beside;
    bool shared;
    const char* expected;  // relative to the temporary prefix
};

void PrintTo(const Layout& layout, std::ostream* os) {
    *os << layout.name;
}

class HelpLookupTest : public ::testing::TestWithParam<Layout> {};

void touch(const QString& path) {
    ASSERT_TRUE(QDir().mkpath(QFileInfo(path).path()));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("<html></html>");
}

TEST_P(HelpLookupTest, FindsThePage) {
    const Layout& layout = GetParam();
    QTemporaryDir prefix;
    ASSERT_TRUE(prefix.isValid());
    const QString bin = prefix.filePath(QStringLiteral("bin"));
    ASSERT_TRUE(QDir().mkpath(bin));
    if (layout.beside) {
        touch(bin + QStringLiteral("/ad.htm"));
    }
    if (layout.shared) {
        touch(prefix.filePath(QStringLiteral("share/cellwatch/ad.htm")));
    }
    EXPECT_EQ(cellwatch::localHelpFile(bin).toStdString(),
              prefix.filePath(QString::fromLatin1(layout.expected)).toStdString())
        << layout.what;
}

INSTANTIATE_TEST_SUITE_P(
    Layouts, HelpLookupTest,
    ::testing::Values(Layout{"build tree", "build_tree", true, false, "bin/ad.htm"},
                      Layout{"installed", "installed", false, true, "share/cellwatch/ad.htm"},
                      Layout{"both: the program's folder wins", "both", true, true, "bin/ad.htm"},
                      Layout{"neither: the path beside the program", "neither", false, false,
                             "bin/ad.htm"}),
    [](const ::testing::TestParamInfo<Layout>& param) { return std::string(param.param.name); });

}  // namespace
