#include "values/gbk.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace gbk {

namespace {
const char *const name = "GBK";
}

QByteArray encode(QStringView text) { return tryEncode(text).value_or(QByteArray()); }

std::optional<QByteArray> tryEncode(QStringView text, const char *encoding)
{
    QStringEncoder encoder(encoding);
    if (!encoder.isValid())
        return std::nullopt;
    return QByteArray(encoder.encode(text));
}

QString decode(QByteArrayView bytes)
{
    // A lead byte cut off at the end would wait inside the decoder for its second byte and
    // vanish; it is a bad character like any other.
    qsizetype complete = 0;
    while (complete < bytes.size()) {
        const auto b = static_cast<unsigned char>(bytes[complete]);
        const qsizetype width = b >= 0x81 && b <= 0xFE ? 2 : 1;
        if (complete + width > bytes.size())
            break;
        complete += width;
    }
    QStringDecoder decoder(name);
    QString text = decoder.decode(bytes.first(complete));
    if (complete < bytes.size())
        text += QChar(QChar::ReplacementCharacter);
    return text;
}

} // namespace gbk
