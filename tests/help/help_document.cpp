#include "help_document.h"

#include <QFile>

namespace
{

void Collect(const QDomElement &element, QList<QDomElement> &out)
{
    out.append(element);
    for (QDomElement child = element.firstChildElement(); !child.isNull();
         child = child.nextSiblingElement())
        Collect(child, out);
}

} // namespace

HelpDocument HelpDocument::Load(const QString &folder)
{
    HelpDocument help;
    help.Folder = folder;
    QFile file(folder + "/index.htm");
    if (!file.open(QIODevice::ReadOnly)) {
        help.ParseError = file.errorString();
        return help;
    }
    QString message;
    int line = 0, column = 0;
    if (!help.Tree.setContent(file.readAll(), &message, &line, &column)) {
        help.ParseError = QString("line %1, column %2: %3").arg(line).arg(column).arg(message);
        help.Tree.clear();
    }
    return help;
}

QList<QDomElement> HelpDocument::AllElements() const
{
    QList<QDomElement> all;
    if (!Tree.documentElement().isNull()) Collect(Tree.documentElement(), all);
    return all;
}

QList<QDomElement> HelpDocument::Elements(const QString &name) const
{
    QList<QDomElement> found;
    for (const QDomElement &element : AllElements())
        if (element.tagName() == name) found.append(element);
    return found;
}

QDomElement HelpDocument::ById(const QString &id) const
{
    for (const QDomElement &element : AllElements())
        if (element.attribute("id") == id) return element;
    return {};
}

QList<QStringList> HelpDocument::TableRows(const QString &tableId) const
{
    QList<QStringList> rows;
    const QDomElement body = ById(tableId).firstChildElement("tbody");
    for (QDomElement row = body.firstChildElement("tr"); !row.isNull();
         row = row.nextSiblingElement("tr")) {
        QStringList cells;
        for (QDomElement cell = row.firstChildElement(); !cell.isNull();
             cell = cell.nextSiblingElement())
            cells.append(cell.text().simplified());
        rows.append(cells);
    }
    return rows;
}

QString HelpDocument::PreText(const QString &preId) const
{
    return ById(preId).text();
}

QString HelpDocument::PlainText() const
{
    return Tree.documentElement().text().simplified();
}
