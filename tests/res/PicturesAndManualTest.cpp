#include <gtest/gtest.h>

#include <QFile>
#include <QImage>

#include "res/CommandIds.h"
#include "res/HelpManual.h"
#include "res/Icons.h"

namespace {

TEST(Pictures, ToolbarImagesAndIconsHaveTheirSizes) {
    for (const char* name : {"new", "open", "save", "cut", "copy", "paste", "print", "about"}) {
        const QImage image(QStringLiteral(":/toolbar/%1.png").arg(QLatin1String(name)));
        EXPECT_EQ(image.size(), QSize(16, 15)) << name;
    }
    EXPECT_EQ(QImage(":/icons/mainframe.png").size(), QSize(32, 32));
    EXPECT_EQ(QImage(":/icons/formtype-32.png").size(), QSize(32, 32));
    EXPECT_EQ(QImage(":/icons/formtype-16.png").size(), QSize(16, 16));
    EXPECT_FALSE(res::MainFrameIcon().isNull());
    const QList<QSize> sizes = res::FormTypeIcon().availableSizes();
    EXPECT_TRUE(sizes.contains(QSize(32, 32)) && sizes.contains(QSize(16, 16)));
    EXPECT_TRUE(res::ToolbarIcon(id::ID_CONNECT).isNull());
}

TEST(HelpManual, BuiltInUnlessPointedElsewhere) {
    EXPECT_TRUE(res::HelpManualExists());
    EXPECT_EQ(res::HelpManualUrl(), QUrl("qrc:/help/index.html"));
    QFile page(res::HelpManualPath());
    ASSERT_TRUE(page.open(QIODevice::ReadOnly));
    const QString html = QString::fromUtf8(page.readAll());
    EXPECT_TRUE(html.contains("TABULON_COM1"));
    EXPECT_TRUE(html.contains("dialout"));

    res::SetHelpManualPath("/nonexistent/help/index.html");
    EXPECT_FALSE(res::HelpManualExists());
    EXPECT_EQ(res::HelpManualUrl(), QUrl::fromLocalFile("/nonexistent/help/index.html"));
    res::SetHelpManualPath(QString());
    EXPECT_TRUE(res::HelpManualExists());
}

}  // namespace
