#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QXmlStreamReader>

#include "res/Menus.h"
#include "tests/res/Mnemonics.h"

namespace {

// Each group of items the operator picks from with one letter: the menu bar, then every popup,
// as "path: clash" lines.
void collectClashes(std::span<const res::MenuItem> items, const QString& path, QStringList& out) {
    QStringList texts;
    for (const res::MenuItem& item : items) {
        if (item.isSeparator()) continue;
        const QString text = QString::fromUtf8(item.text);
        texts << text;
        if (item.isPopup()) collectClashes(item.children, path + "/" + text, out);
    }
    for (const QString& clash : sharedMnemonics(texts)) out << path + ": " + clash;
}

// Only the clash the form menu was made with stands: its "&Файл" has two items on "У".
TEST(Mnemonics, NoTwoItemsOfAPopupShareALetter) {
    QStringList clashes;
    collectClashes(res::menuResource(id::IDR_MAINFRAME), "IDR_MAINFRAME", clashes);
    collectClashes(res::menuResource(id::IDR_FORMTYPE), "IDR_FORMTYPE", clashes);
    EXPECT_EQ(clashes.join('\n').toStdString(),
              "IDR_FORMTYPE/&Файл: у: &Установить связь | &Установка принтера...");
}

// The texts of a Designer file that may carry a mnemonic: controls' texts and group titles.
QStringList controlTexts(const QString& uiFile) {
    QFile file(uiFile);
    if (!file.open(QIODevice::ReadOnly)) return {"<unreadable>"};
    QXmlStreamReader xml(&file);
    QStringList texts;
    QString property;
    while (!xml.atEnd()) {
        xml.readNext();
        if (!xml.isStartElement()) continue;
        if (xml.name() == u"property") property = xml.attributes().value("name").toString();
        if (xml.name() == u"string" && (property == "text" || property == "title"))
            texts << xml.readElementText();
    }
    return texts;
}

// Every dialog of the program laid out in Designer, each beside its class in a folder of the
// root; the find boxes are checked with their view.
QStringList designerFiles() {
    QStringList files;
    const QDir root(TABULON_SOURCE_DIR);
    for (const QString& folder : root.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        const QDir dir(root.filePath(folder));
        for (const QString& name : dir.entryList({"*.ui"}, QDir::Files)) {
            // One layout serves both find boxes, each showing only its own controls.
            if (name == u"FindReplaceDialog.ui") continue;
            files << dir.filePath(name);
        }
    }
    return files;
}

TEST(Mnemonics, NoTwoControlsOfADialogShareALetter) {
    const QStringList files = designerFiles();
    ASSERT_GE(files.size(), 5);
    for (const QString& file : files) {
        SCOPED_TRACE(file.toStdString());
        EXPECT_EQ(sharedMnemonics(controlTexts(file)).join('\n').toStdString(), "");
    }
}

TEST(Mnemonics, LetterIsTheOneAfterASingleAmpersand) {
    EXPECT_EQ(mnemonicOf("Предварительный п&росмотр"), QChar(u'р'));
    EXPECT_EQ(mnemonicOf("&Вид"), QChar(u'в'));
    EXPECT_EQ(mnemonicOf("Tom && &Jerry"), QChar(u'j'));
    EXPECT_TRUE(mnemonicOf("Настройки").isNull());
    EXPECT_TRUE(mnemonicOf("A && B").isNull());
}

}  // namespace
