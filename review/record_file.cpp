#include "record_file.h"

#include <QDir>
#include <QFile>

bool ReadRecordFile(const QString &file, GameRecord &record, QString &error)
{
    QFile in(file);
    if (!in.open(QIODevice::ReadOnly)) {
        error = QString("Cannot open the game file %1: %2.")
                    .arg(QDir::toNativeSeparators(file), in.errorString());
        return false;
    }
    // A record of the largest field is a few kilobytes; anything far bigger is not one.
    const QByteArray text = in.read(1 << 20);
    RecordError refused;
    if (!ReadRecord(std::string_view(text.constData(), size_t(text.size())), record, refused)) {
        error = QString("%1 is not a Kelvane game record (line %2: %3).")
                    .arg(QDir::toNativeSeparators(file))
                    .arg(refused.Line)
                    .arg(QString::fromStdString(refused.Reason));
        return false;
    }
    return true;
}
