#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QImage>
#include <QRegularExpression>

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

// Every page of the manual is reached from the contents, and every link of a page leads to a
// page and a place in it that exist.
TEST(HelpManual, EveryLinkLeadsSomewhere) {
    const auto read = [](const QString& name) {
        QFile f(QStringLiteral(":/help/") + name);
        return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
    };
    const QStringList pages = QDir(QStringLiteral(":/help")).entryList({"*.html"});
    ASSERT_GE(pages.size(), 6);
    static const QRegularExpression link(QStringLiteral("href=\"([^\"#:]*)(?:#([^\"]*))?\""));
    const QString contents = read(QStringLiteral("index.html"));
    for (const QString& page : pages) {
        if (page != u"index.html")
            EXPECT_TRUE(contents.contains(QStringLiteral("href=\"%1\"").arg(page)))
                << page.toStdString();
        for (const QRegularExpressionMatch& m : link.globalMatch(read(page))) {
            const QString target = m.captured(1).isEmpty() ? page : m.captured(1);
            const QString html = read(target);
            EXPECT_FALSE(html.isEmpty()) << page.toStdString() << " -> " << target.toStdString();
            if (m.hasCaptured(2))
                EXPECT_TRUE(html.contains(QStringLiteral("name=\"%1\"").arg(m.captured(2))))
                    << page.toStdString() << " -> " << m.captured(0).toStdString();
        }
    }
}

}  // namespace
