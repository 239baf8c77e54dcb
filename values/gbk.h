#pragma once

#include <QByteArray>
#include <QString>

// Code page 936 (GBK), the one encoding of text that leaves the program: the score file and
// the tray tip. Qt's ICU-backed converters know it by name.
namespace gbk {

QByteArray encode(QStringView text);
// Bytes that are not valid GBK come back as U+FFFD.
QString decode(QByteArrayView bytes);

} // namespace gbk
