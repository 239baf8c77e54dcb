#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// Code page 936 (GBK), the one encoding of text that leaves the program: the score file and
// the tray tip. Qt's ICU-backed converters know it by name.
namespace gbk {

// Empty when the converter is missing (a Qt built without ICU).
QByteArray encode(QStringView text);
// Nothing when the converter for `encoding` is missing, so a caller that must not write an
// empty text can tell.
std::optional<QByteArray> tryEncode(QStringView text, const char *encoding = "GBK");
// Bytes that are not valid GBK come back as U+FFFD.
QString decode(QByteArrayView bytes);

} // namespace gbk
