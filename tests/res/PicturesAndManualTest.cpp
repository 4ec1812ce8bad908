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
    EXPECT_FALSE(res::mainFrameIcon().isNull());
    const QList<QSize> sizes = res::formTypeIcon().availableSizes();
    EXPECT_TRUE(sizes.contains(QSize(32, 32)) && sizes.contains(QSize(16, 16)));
    EXPECT_TRUE(res::toolbarIcon(id::ID_CONNECT).isNull());
}

TEST(HelpManual, BuiltInUnlessPointedElsewhere) {
    EXPECT_TRUE(res::helpManualExists());
    EXPECT_EQ(res::helpManualUrl(), QUrl("qrc:/help/index.html"));
    QFile page(res::helpManualPath());
    ASSERT_TRUE(page.open(QIODevice::ReadOnly));
    const QString html = QString::fromUtf8(page.readAll());
    EXPECT_TRUE(html.contains("TABULON_COM1"));
    EXPECT_TRUE(html.contains("dialout"));

    res::setHelpManualPath("/nonexistent/help/index.html");
    EXPECT_FALSE(res::helpManualExists());
    EXPECT_EQ(res::helpManualUrl(), QUrl::fromLocalFile("/nonexistent/help/index.html"));
    res::setHelpManualPath(QString());
    EXPECT_TRUE(res::helpManualExists());
}

}  // namespace
