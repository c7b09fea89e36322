// The built help folder: the document, its style sheet and pictures are there, and every
// link and picture the document names exists. External addresses are checked by form only.
#include "help_document.h"

#include <QDir>
#include <QFileInfo>
#include <QImageReader>
#include <QRegularExpression>
#include <QSet>
#include <QUrl>

#include <gtest/gtest.h>

namespace
{

const QString BuiltHelp = QStringLiteral(KELVANE_HELP_DIR);
const QString SourceHelp = QStringLiteral(KELVANE_HELP_SOURCE_DIR);

class HelpFiles : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        Help = HelpDocument::Load(BuiltHelp);
        ASSERT_TRUE(Help.ParseError.isEmpty()) << Help.ParseError.toStdString();
    }

    // Every address the document names: links, pictures and the style sheet.
    QList<QPair<QString, QString>> Addresses() const // (element, address)
    {
        QList<QPair<QString, QString>> all;
        for (const QDomElement &element : Help.AllElements()) {
            for (const char *attribute : {"href", "src"})
                if (element.hasAttribute(attribute))
                    all.append({element.tagName(), element.attribute(attribute)});
        }
        return all;
    }

    HelpDocument Help;
};

bool IsExternal(const QString &address)
{
    return address.startsWith("https://");
}

} // namespace

TEST(HelpFolder, BuiltTree_HoldsTheDocumentItsStyleSheetAndPictures)
{
    EXPECT_TRUE(QFileInfo(BuiltHelp + "/index.htm").isFile());
    EXPECT_TRUE(QFileInfo(BuiltHelp + "/help.css").isFile());
    EXPECT_FALSE(QDir(BuiltHelp + "/images").entryList({"*.png"}, QDir::Files).isEmpty());
}

TEST_F(HelpFiles, Document_HasItsLanguageTitleAndOneStyleSheetAndNoScript)
{
    const QDomElement html = Help.Tree.documentElement();
    EXPECT_EQ(html.tagName(), "html");
    EXPECT_EQ(html.attribute("lang"), "en");
    ASSERT_EQ(Help.Elements("title").size(), 1);
    EXPECT_FALSE(Help.Elements("title").front().text().trimmed().isEmpty());

    QStringList sheets;
    for (const QDomElement &link : Help.Elements("link"))
        if (link.attribute("rel") == "stylesheet") sheets.append(link.attribute("href"));
    EXPECT_EQ(sheets, QStringList{"help.css"});
    EXPECT_TRUE(Help.Elements("style").isEmpty()) << "all looks belong in the style sheet";
    EXPECT_TRUE(Help.Elements("script").isEmpty());
    for (const QDomElement &element : Help.AllElements())
        EXPECT_FALSE(element.hasAttribute("style")) << element.tagName().toStdString();
}

TEST_F(HelpFiles, EveryLocalLinkAndPicture_ExistsInTheBuiltFolder)
{
    int local = 0;
    for (const auto &[element, address] : Addresses()) {
        if (IsExternal(address) || address.startsWith('#')) continue;
        ++local;
        const QUrl url(address);
        EXPECT_TRUE(url.isRelative() && !address.startsWith('/'))
            << element.toStdString() << " names " << address.toStdString()
            << ", which is not a path inside the help folder";
        const QString path = url.path();
        EXPECT_FALSE(path.split('/').contains("..")) << address.toStdString();
        EXPECT_TRUE(QFileInfo(BuiltHelp + "/" + path).isFile())
            << element.toStdString() << " names " << address.toStdString()
            << ", which the build did not copy";
    }
    EXPECT_GE(local, 5) << "the style sheet and the pictures are named by the document";
}

TEST_F(HelpFiles, EveryOtherAddress_IsAnInPageAnchorOrAnHttpsAddress)
{
    for (const auto &[element, address] : Addresses()) {
        const QString scheme = QUrl(address).scheme();
        EXPECT_TRUE(scheme.isEmpty() || (scheme == "https" && !QUrl(address).host().isEmpty()))
            << element.toStdString() << " names " << address.toStdString();
    }
}

TEST_F(HelpFiles, EveryAnchor_NamesAnIdThatOccursOnce)
{
    QMap<QString, int> ids;
    for (const QDomElement &element : Help.AllElements())
        if (element.hasAttribute("id")) ++ids[element.attribute("id")];
    for (auto it = ids.cbegin(); it != ids.cend(); ++it)
        EXPECT_EQ(it.value(), 1) << "id " << it.key().toStdString() << " is given twice";

    int anchors = 0;
    for (const auto &[element, address] : Addresses()) {
        if (!address.startsWith('#')) continue;
        ++anchors;
        EXPECT_TRUE(ids.contains(address.mid(1))) << address.toStdString() << " leads nowhere";
    }
    EXPECT_GE(anchors, 15) << "the contents list links every section";
}

TEST_F(HelpFiles, EveryPicture_HasAltTextAndTheSizeItReallyHas)
{
    const QList<QDomElement> pictures = Help.Elements("img");
    ASSERT_GE(pictures.size(), 4);
    for (const QDomElement &img : pictures) {
        const QString src = img.attribute("src");
        EXPECT_GE(img.attribute("alt").simplified().size(), 20)
            << src.toStdString() << " needs a description for readers who cannot see it";
        QImageReader reader(BuiltHelp + "/" + src);
        const QSize size = reader.size();
        ASSERT_TRUE(size.isValid())
            << src.toStdString() << ": " << reader.errorString().toStdString();
        EXPECT_EQ(img.attribute("width").toInt(), size.width()) << src.toStdString();
        EXPECT_EQ(img.attribute("height").toInt(), size.height()) << src.toStdString();
        EXPECT_LE(QFileInfo(BuiltHelp + "/" + src).size(), 300 * 1024)
            << src.toStdString() << " is too large to ship";
    }
}

TEST_F(HelpFiles, EveryPictureInTheSourceFolder_IsShownByTheDocument)
{
    QSet<QString> shown;
    for (const QDomElement &img : Help.Elements("img"))
        shown.insert(img.attribute("src"));
    const QStringList pictures =
        QDir(SourceHelp + "/images").entryList({"*.png", "*.jpg", "*.svg"}, QDir::Files);
    for (const QString &picture : pictures)
        EXPECT_TRUE(shown.contains("images/" + picture))
            << "images/" << picture.toStdString() << " is shipped but never shown";
}

TEST(HelpStyleSheet, NamesOnlyFilesOfTheHelpFolder)
{
    QFile file(BuiltHelp + "/help.css");
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QString css = QString::fromUtf8(file.readAll());
    EXPECT_FALSE(css.contains("@import")) << "one style sheet, no other";
    static const QRegularExpression url(R"(url\(\s*['"]?([^'")]+))");
    for (auto match = url.globalMatch(css); match.hasNext();) {
        const QString address = match.next().captured(1);
        EXPECT_FALSE(QUrl(address).scheme().size() > 0) << address.toStdString();
        EXPECT_TRUE(QFileInfo(BuiltHelp + "/" + address).isFile()) << address.toStdString();
    }
}
