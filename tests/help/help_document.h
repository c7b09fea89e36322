// The help document as the build ships it, read as a tree, with the few queries the tests
// make of it: elements by name or id, and the text of tables and preformatted blocks.
#pragma once

#include <QDomDocument>
#include <QList>
#include <QString>
#include <QStringList>

struct HelpDocument {
    QString Folder;     // the built help folder, <build>/bin/Help
    QDomDocument Tree;  // empty when the document could not be read
    QString ParseError; // why it could not be read, with line and column

    // Reads <folder>/index.htm. The document is written so that it is also well-formed XML:
    // every element closed, no entities beyond the five of XML.
    static HelpDocument Load(const QString &folder);

    QList<QDomElement> Elements(const QString &name) const;
    QList<QDomElement> AllElements() const;
    QDomElement ById(const QString &id) const;

    // The rows of a table's body, each cell's text with runs of blanks made one.
    QList<QStringList> TableRows(const QString &tableId) const;
    // The text of a <pre> block exactly as written.
    QString PreText(const QString &preId) const;
    // All the document's text with runs of blanks made one.
    QString PlainText() const;
};
